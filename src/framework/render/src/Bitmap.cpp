#include "kx/Bitmap.h"

#include "kx/Colorizer.h"
#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/Geometry.h"
#include "kx/Resources.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <string>

namespace KX {

namespace {

constexpr const char* kBitmapSource = "Utilities\\Graphics\\Bitmap";

std::atomic<uint64_t> g_lastBitmapID{0};

uint64_t NextBitmapID() noexcept
{
    return g_lastBitmapID.fetch_add(1) + 1;
}

// The shared bitmaps by key. Its references count as internal ones of the bitmaps. Never
// destroyed, so that bitmaps released by other statics at exit still find it.
struct SharedBitmapMap {
    std::recursive_mutex lock;
    std::map<std::u16string, ConstRCPtr<LBitmap>> bitmaps;
};

SharedBitmapMap& GetSharedMap()
{
    static SharedBitmapMap* map = new SharedBitmapMap;
    return *map;
}

int32_t SaturatedSum(int32_t a, int32_t b) noexcept
{
    const int64_t sum = static_cast<int64_t>(a) + b;
    return static_cast<int32_t>(
        std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

WString WithSlashes(const WString& path)
{
    WString out = path;
    out.ReplaceAny(u"\\", u'/');
    return out;
}

void TraceLoadError(const WString& error)
{
    DebugOut() << "KX::LBitmap: " << error.ToNarrow().GetString() << "\n" << std::flush;
}

// Both colours of a gradient equal: it fills as a solid colour.
bool IsRealGradient(const LColorizer& colorizer) noexcept
{
    return colorizer.IsGradient() && !(colorizer.GetColor() == colorizer.GetEndColor());
}

} // namespace

// ---- construction and loading ----

LBitmap::LBitmap() : m_uniqueID(NextBitmapID()), m_pixelID(m_uniqueID) {}

LBitmap::LBitmap(const WString& name, const WString& path)
    : m_name(name), m_path(path), m_uniqueID(NextBitmapID()), m_pixelID(m_uniqueID)
{
    Load(path);
}

LBitmap::~LBitmap() = default;

void LBitmap::Load(const WString& path)
{
    std::unique_ptr<gdi::Bitmap> image;
    if (IsResourcePath(path)) {
        const WString resource = ResourceNameFromPath(path);
        std::span<const uint8_t> bytes;
        if (!FindEmbeddedResource(kResourceTypeImage, resource, bytes)) {
            m_loadStatus = gdi::Status::FileNotFound;
            m_loadError = WString::Format(u"image resource \"%s\" not found", resource.GetString());
        } else if ((m_loadStatus = gdi::Bitmap::FromMemory(bytes, image)) != gdi::Status::Ok) {
            m_loadError = WString::Format(u"image resource \"%s\" cannot be decoded: %S", resource.GetString(),
                                          gdi::StatusText(m_loadStatus));
        }
    } else {
        const WString file = WithSlashes(path);
        if ((m_loadStatus = gdi::Bitmap::FromFile(std::u16string_view(file.GetString()), image)) != gdi::Status::Ok)
            m_loadError = WString::Format(u"image file \"%s\" cannot be loaded: %S", file.GetString(),
                                          gdi::StatusText(m_loadStatus));
    }
    if (m_loadStatus != gdi::Status::Ok || !image) {
        if (m_loadStatus == gdi::Status::Ok)
            m_loadStatus = gdi::Status::GenericError;
        TraceLoadError(m_loadError);
        return;
    }
    SetImage(std::move(image));
}

void LBitmap::SetImage(std::unique_ptr<gdi::Bitmap> image)
{
    m_image = std::move(image);
    m_x = 0;
    m_y = 0;
    m_width = m_image ? m_image->GetWidth() : 0;
    m_height = m_image ? m_image->GetHeight() : 0;
}

// ---- the shared map ----

WString LBitmap::GetSharedBitmapKey(const WString& name)
{
    if (IsResourcePath(name))
        return WithSlashes(WString(u"::") + ResourceNameFromPath(name));
    // The file system tells letter cases apart: the key keeps them. Relative paths, "." and
    // ".." and links are resolved so that one file has one key.
    namespace fs = std::filesystem;
    const fs::path given(std::string(WithSlashes(name).ToNarrow().GetString()));
    std::error_code error;
    fs::path full = fs::absolute(given, error);
    if (error)
        full = given;
    fs::path canonical = fs::weakly_canonical(full, error);
    if (error)
        canonical = full.lexically_normal();
    return WString(canonical.generic_string().c_str());
}

ConstRCPtr<LBitmap> LBitmap::GetSharedBitmap(const WString& name)
{
    const WString key = GetSharedBitmapKey(name);
    SharedBitmapMap& shared = GetSharedMap();
    std::lock_guard<std::recursive_mutex> guard(shared.lock);
    const std::u16string mapKey(key.GetString());
    if (auto it = shared.bitmaps.find(mapKey); it != shared.bitmaps.end())
        return it->second;
    RCPtr<LBitmap> bitmap(new LBitmap(name, key));
    if (!bitmap->m_image && !bitmap->m_parent)
        return nullptr;
    shared.bitmaps.emplace(mapKey, bitmap);
    bitmap->AddToRefCount(1);
    return bitmap;
}

KXRESULT LBitmap::ReleaseInternalReferences()
{
    if (!m_path.IsEmpty()) {
        SharedBitmapMap& shared = GetSharedMap();
        std::lock_guard<std::recursive_mutex> guard(shared.lock);
        auto it = shared.bitmaps.find(std::u16string(m_path.GetString()));
        // Only when nobody took the bitmap from the map since the releasing holder looked.
        if (it != shared.bitmaps.end() && it->second.Get() == this && GetRefCount() == GetInternalRefCount() + 1) {
            AddToRefCount(-1);
            ConstRCPtr<LBitmap> held = std::move(it->second);
            shared.bitmaps.erase(it);
            return S_OK;
        }
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

// ---- views and copies ----

const LBitmap* LBitmap::GetRoot() const noexcept
{
    const LBitmap* root = this;
    while (root->m_parent)
        root = root->m_parent.Get();
    return root;
}

gdi::Bitmap* LBitmap::GetBitmapData() const noexcept
{
    for (const LBitmap* b = this; b; b = b->m_parent.Get()) {
        if (b->m_image)
            return b->m_image.get();
    }
    return nullptr;
}

uint64_t LBitmap::GetHandle() const noexcept
{
    return GetRoot()->m_pixelID.load();
}

void LBitmap::PixelsChanged() const noexcept
{
    GetRoot()->m_pixelID.store(NextBitmapID());
}

ConstRCPtr<LBitmap> LBitmap::CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    if (width <= 0 || height <= 0) {
        x = 0;
        y = 0;
        width = m_width;
        height = m_height;
    }
    RCPtr<LBitmap> sub(new LBitmap());
    sub->m_name = m_name;
    sub->m_x = SaturatedSum(m_x, x);
    sub->m_y = SaturatedSum(m_y, y);
    const PointT<int32_t> size = RoundSizeToLong(static_cast<double>(width), static_cast<double>(height));
    sub->m_width = size.x;
    sub->m_height = size.y;
    sub->m_parent = m_parent ? m_parent : ConstRCPtr<LBitmap>(this);
    return sub;
}

RCPtr<LBitmap> LBitmap::CopyBitmap() const
{
    RCPtr<LBitmap> copy(new LBitmap());
    copy->m_name = m_name;
    gdi::Bitmap* image = GetBitmapData();
    if (!image) {
        copy->m_loadStatus = gdi::Status::WrongState;
        copy->m_loadError = u"copy of an empty bitmap";
        return copy;
    }
    const PointT<int32_t> size = RoundSizeToLong(static_cast<double>(m_width), static_cast<double>(m_height));
    std::unique_ptr<gdi::Bitmap> pixels;
    const gdi::Status status = image->Clone({m_x, m_y, size.x, size.y}, image->GetPixelFormat(), pixels);
    if (status != gdi::Status::Ok) {
        copy->m_loadStatus = status;
        copy->m_loadError = WString::Format(u"copy of %d x %d pixels at (%d, %d) failed: %S", size.x, size.y, m_x, m_y,
                                            gdi::StatusText(status));
        return copy;
    }
    copy->SetImage(std::move(pixels));
    return copy;
}

// ---- pixels ----

LColor LBitmap::GetPixelColor(int32_t x, int32_t y) const
{
    gdi::Bitmap* image = GetBitmapData();
    gdi::ARGB argb = 0;
    // Only the pixels of this bitmap's own rectangle, not its neighbours in the root image.
    if (image && x >= 0 && y >= 0 && x < m_width && y < m_height) {
        const int64_t rootX = static_cast<int64_t>(x) + m_x;
        const int64_t rootY = static_cast<int64_t>(y) + m_y;
        if (rootX <= std::numeric_limits<int32_t>::max() && rootY <= std::numeric_limits<int32_t>::max() &&
            image->GetPixel(static_cast<int32_t>(rootX), static_cast<int32_t>(rootY), argb) != gdi::Status::Ok)
            argb = 0;
    }
    return LColor::MakeFromARGB(argb);
}

ConstRCPtr<LBitmapData> LBitmap::GetPixelBuffer() const
{
    return ConstRCPtr<LBitmapData>(new LBitmapData(ConstRCPtr<LBitmap>(GetRoot()), gdi::ImageLockMode::Read));
}

// ---- fills and tints ----

RCPtr<LBitmap> LBitmap::CreateFilledBitmap(int32_t width, int32_t height, const LColor& color)
{
    if (width <= 0 || height <= 0)
        Throw<std::runtime_error>("", "KX::LBitmap::CreateFilledBitmap", kBitmapSource, 319);
    std::unique_ptr<gdi::Bitmap> image;
    gdi::Status status = gdi::Bitmap::Create(width, height, gdi::PixelFormat::Argb32, image);
    gdi::BitmapData data;
    if (status == gdi::Status::Ok)
        status = image->LockBits({0, 0, width, height}, gdi::ImageLockMode::Write, gdi::PixelFormat::Argb32, data);
    if (status != gdi::Status::Ok) {
        const std::string detail = "cannot create a " + std::to_string(width) + " x " + std::to_string(height) +
                                   " bitmap: " + gdi::StatusText(status);
        Throw<std::runtime_error>(detail, "KX::LBitmap::CreateFilledBitmap", kBitmapSource, 319);
    }
    const gdi::ARGB argb = color.ToARGB();
    for (int32_t row = 0; row < height; ++row)
        std::fill_n(data.PixelAt(0, row), width, argb);
    image->UnlockBits(data);
    RCPtr<LBitmap> bitmap(new LBitmap());
    bitmap->SetImage(std::move(image));
    return bitmap;
}

RCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                              int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        Throw<std::runtime_error>("", "KX::LBitmap::CreateColorizedBitmap", kBitmapSource, 290);
    if (!colorizer)
        Throw<std::runtime_error>("Colorizer is NULL", "KX::LBitmap::CreateColorizedBitmap", kBitmapSource, 290);
    if (IsRealGradient(*colorizer))
        Throw<std::domain_error>("", "KX::LBitmap::CreateGradientFilledBitmap", kBitmapSource, 354);
    LColor color = colorizer->GetColor();
    color.alpha *= alphaModifier;
    return CreateFilledBitmap(width, height, color);
}

void LBitmap::ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer, float alphaModifier)
{
    if (!bitmap || !colorizer)
        Throw<std::runtime_error>("", "KX::LBitmap::ApplyColorizer", kBitmapSource, 366);
    if (IsRealGradient(*colorizer)) {
        CreateColorizedBitmap(colorizer, alphaModifier, bitmap->m_width, bitmap->m_height);
        return;
    }
    gdi::Bitmap* image = bitmap->GetBitmapData();
    if (!image || bitmap->m_width <= 0 || bitmap->m_height <= 0)
        return; // no pixels to tint

    // Each channel value maps to one result: a table per channel.
    const LColor& color = colorizer->GetColor();
    const float amount = color.alpha * alphaModifier;
    const float targets[3] = {color.red * amount, color.green * amount, color.blue * amount};
    uint8_t tables[3][256];
    for (int channel = 0; channel < 3; ++channel) {
        for (int value = 0; value < 256; ++value) {
            const float result =
                (static_cast<float>(value) / 255.0f * (1.0f - amount) + targets[channel]) * 255.0f + 0.5f;
            // Out-of-range colours and modifiers saturate instead of wrapping.
            tables[channel][value] = std::isnan(result) ? 0 : static_cast<uint8_t>(std::clamp(result, 0.0f, 255.0f));
        }
    }

    gdi::BitmapData data;
    const gdi::Status status = image->LockBits({bitmap->m_x, bitmap->m_y, bitmap->m_width, bitmap->m_height},
                                               gdi::ImageLockMode::ReadWrite, gdi::PixelFormat::Argb32, data);
    if (status != gdi::Status::Ok)
        Throw<std::runtime_error>(std::string("cannot lock the pixels: ") + gdi::StatusText(status),
                                  "KX::LBitmap::ApplyColorizer", kBitmapSource, 366);
    for (int32_t row = 0; row < data.height; ++row) {
        uint32_t* pixel = data.PixelAt(0, row);
        for (int32_t col = 0; col < data.width; ++col, ++pixel) {
            const uint32_t p = *pixel;
            *pixel = (p & 0xFF000000u) | (uint32_t(tables[0][(p >> 16) & 255]) << 16) |
                     (uint32_t(tables[1][(p >> 8) & 255]) << 8) | uint32_t(tables[2][p & 255]);
        }
    }
    image->UnlockBits(data);
    bitmap->PixelsChanged();
}

RCPtr<LBitmap> LBitmap::CreatePartBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier, int32_t width,
                                         int32_t height, const ConstRCPtr<LBitmap>& image,
                                         const ConstRCPtr<LBitmap>& mask)
{
    RCPtr<LBitmap> work;
    if (image)
        work = image->CopyBitmap();
    if (mask) {
        if (work)
            Throw<std::domain_error>("", "KX::LBitmap::ApplyColorizer", kBitmapSource, 432);
        work = mask->CopyBitmap();
    }
    if (!work)
        return CreateColorizedBitmap(colorizer, alphaModifier, width, height);
    ApplyColorizer(work, colorizer, alphaModifier);
    return work;
}

// ---- locked pixels ----

LBitmapData::LBitmapData(const ConstRCPtr<LBitmap>& bitmap, gdi::ImageLockMode mode, IPixelBuffer<int32_t>* pixelBuffer)
    : m_bitmap(bitmap), m_mode(mode)
{
    if (pixelBuffer)
        Throw<std::domain_error>("", "KX::LBitmapData::LBitmapData", kBitmapSource, 477);
    gdi::Bitmap* image = m_bitmap ? m_bitmap->GetBitmapData() : nullptr;
    if (!image) {
        m_lockStatus = gdi::Status::WrongState;
        return;
    }
    m_lockStatus = image->LockBits({m_bitmap->m_x, m_bitmap->m_y, m_bitmap->m_width, m_bitmap->m_height}, mode,
                                   gdi::PixelFormat::Argb32, m_data);
    m_locked = m_lockStatus == gdi::Status::Ok;
}

LBitmapData::~LBitmapData()
{
    if (!m_locked)
        return;
    m_bitmap->GetBitmapData()->UnlockBits(m_data);
    if ((static_cast<int>(m_mode) & static_cast<int>(gdi::ImageLockMode::Write)) != 0)
        m_bitmap->PixelsChanged();
}

uint32_t LBitmapData::GetWidth() const
{
    return m_locked ? static_cast<uint32_t>(m_data.width) : 0;
}

uint32_t LBitmapData::GetHeight() const
{
    return m_locked ? static_cast<uint32_t>(m_data.height) : 0;
}

uint32_t LBitmapData::GetRowLength() const
{
    return m_locked ? static_cast<uint32_t>(m_data.stride) : 0;
}

const int32_t* LBitmapData::GetPixelAddress(uint32_t x, uint32_t y) const
{
    if (!m_locked || x >= static_cast<uint32_t>(m_data.width) || y >= static_cast<uint32_t>(m_data.height))
        return nullptr;
    return reinterpret_cast<const int32_t*>(m_data.PixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y)));
}

int32_t* LBitmapData::GetPixelAddress(uint32_t x, uint32_t y)
{
    return const_cast<int32_t*>(static_cast<const LBitmapData*>(this)->GetPixelAddress(x, y));
}

} // namespace KX
