#include "editor/StatusView.h"

LStatusView::~LStatusView() = default;
