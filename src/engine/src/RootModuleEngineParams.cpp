#include "engine/RootModuleEngine.h"

#include "engine/ParamPair.h"
#include "engine/ParamRecords.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Wrappers.h"

#include <algorithm>
#include <limits>

namespace {

// The lowest id a value can have: the pseudo-parameters that model modules may claim.
constexpr int64_t kLowestParamId = -256;

} // namespace

// Values

KX::KXRESULT LRootModuleEngine::SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (m_connectionState.load() != kConnected || !m_rootModule)
        return KX::E_FAIL;
    const KX::KXRESULT result = m_rootModule->SetParamValues(descriptor, value);
    if (KX::Failed(result))
        UpdateConnectionState();
    return result;
}

KX::KXRESULT LRootModuleEngine::GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    if (!m_rootModule) {
        value.Clear();
        return KX::E_FAIL;
    }
    return m_rootModule->GetParamValue(descriptor, value);
}

KX::KXRESULT LRootModuleEngine::GetParamValues(int32_t firstId, int32_t count, KX::IArray<KX::ParamValue>& values,
                                               int32_t startIndex)
{
    if (startIndex < 0) {
        values.RemoveAll();
        startIndex = 0;
    }
    count = std::max(count, 0);
    const int64_t end = static_cast<int64_t>(startIndex) + count;
    if (end > std::numeric_limits<int32_t>::max() ||
        static_cast<int64_t>(firstId) + count - 1 > std::numeric_limits<int32_t>::max())
        return KX::E_INVALIDARG;
    if (values.GetCount() < static_cast<uint32_t>(end))
        values.SetSize(static_cast<uint32_t>(end));
    for (int32_t k = 0; k < count; ++k) {
        KX::ParamValue& entry = values.GetData()[startIndex + k];
        entry.descriptor = KX::ParamDescriptor(firstId + k);
        GetParamValue(entry.descriptor, entry.value);
    }
    return KX::S_OK;
}

int32_t LRootModuleEngine::GetFirstParamID()
{
    return m_rootModule ? m_rootModule->GetFirstParamID() : 0;
}

// Posting

KX::KXRESULT LRootModuleEngine::PostParamModuleStateChange(const KX::Variant& descriptors)
{
    if (descriptors.GetType() != KX::Variant::TypeList || !m_rootModule)
        return KX::S_OK;
    const KX::ParamDescriptors ranges(descriptors);
    // Only ids that can hold a value are read, however wide a range is.
    const int64_t highest = static_cast<int64_t>(m_rootModule->GetFirstParamID()) + kParamCount;
    KX::Array<KX::ParamValue> values;
    for (uint32_t i = 0; i < ranges.GetRangeCount(); ++i) {
        int32_t first = 0;
        int32_t count = 0;
        if (ranges.GetRangeAt(i, first, count) != 0 || count < 1)
            continue;
        const int64_t from = std::max<int64_t>(first, kLowestParamId);
        const int64_t to = std::min<int64_t>(static_cast<int64_t>(first) + count, highest);
        for (int64_t id = from; id < to; ++id) {
            KX::ParamValue entry;
            entry.descriptor = KX::ParamDescriptor(static_cast<int32_t>(id));
            m_rootModule->GetParamValue(entry.descriptor, entry.value);
            values.AddItem(entry);
        }
    }
    PostParamValues(values);
    return KX::S_OK;
}

void LRootModuleEngine::PostParamValues(const KX::IArray<KX::ParamValue>& values)
{
    const uint32_t count = values.GetCount();
    if (count == 0)
        return;
    if (count < 3) {
        for (uint32_t i = 0; i < count; ++i) {
            const KX::ParamValue& v = values.GetData()[i];
            const KX::ConstRCPtr<KX::LRefCountedObject> pair(new KX::LParamPair(v.descriptor, v.value));
            PostNotification(KX::NID_PARAM_MODULE_STATE_CHANGE, pair);
        }
        return;
    }
    using Packed = KX::LWrapper<KX::ParamValues, KX::LRefCountedObject>;
    const KX::RCPtr<Packed> packed = Packed::Create();
    packed->SetValues(values.GetData(), count);
    PostNotification(KX::NID_PARAM_MODULE_STATE_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(packed.Get()));
}

KX::KXRESULT LRootModuleEngine::PostNotification(const char16_t* name,
                                                 const KX::ConstRCPtr<KX::LRefCountedObject>& payload)
{
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, name, payload);
    if (!n)
        return KX::E_INVALIDARG;
    const KX::RCPtr<KX::LNotificationCenter> centre = KX::GetNotificationQueue();
    if (!centre || !centre->GetQueue())
        return KX::E_FAIL;
    return centre->GetQueue()->PostNotification(n);
}

int32_t LRootModuleEngine::ParamValuesCallback(void* context, const KX::IArray<KX::ParamValue>& values)
{
    static_cast<LRootModuleEngine*>(context)->PostParamValues(values);
    return 0;
}

void LRootModuleEngine::PostConnectionState(DeviceConnectionState state)
{
    const KX::RCPtr<KX::LHolder<DeviceConnectionState>> holder = KX::LHolder<DeviceConnectionState>::Create();
    holder->Value() = state;
    PostNotification(KX::NID_DEVICE_CONNECTION_STATE_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(holder.Get()));
}

void LRootModuleEngine::PostDeviceCount(uint32_t count)
{
    const KX::RCPtr<KX::LHolder<unsigned int>> holder = KX::LHolder<unsigned int>::Create();
    holder->Value() = count;
    PostNotification(KX::NID_REMOTE_DEVICE_LIST_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(holder.Get()));
}

// Notifications

KX::KXRESULT LRootModuleEngine::Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                        const KX::RCPtr<KX::LNotification>& n)
{
    if (!m_initialized.load() || !m_handler)
        return KX::S_OK;
    return m_handler->Receive(from, n);
}

KX::KXRESULT LRootModuleEngine::UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                                          const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return KX::LNotificationClient::UnregisterForNotification(d, name);
}

KX::KXRESULT LRootModuleEngine::OnParamModuleChangeRequest(const KX::RCPtr<KX::LNotificationDistributor>&,
                                                           const KX::RCPtr<KX::LNotification>& n)
{
    if (!n)
        return KX::S_OK;
    const auto pair = KX::ConstRCPtr<KX::LParamPair>::DynamicCast(n->GetPayload());
    if (pair && m_connectionState.load() == kConnected && m_rootModule) {
        if (KX::Failed(m_rootModule->SetParamValues(pair->key, pair->value)))
            UpdateConnectionState();
    }
    return KX::S_OK;
}
