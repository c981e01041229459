// The layout attributes of a SubControl.
#include "kx/ui/ControlFactory.h"

namespace KX {

void LControlFactory::ReadLayout(LControlDescriptor&, const XmlAttributes&) {}

void LControlFactory::SortChildrenByLayoutOrder(LControlDescriptor&) {}

} // namespace KX
