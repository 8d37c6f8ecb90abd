#include "uikit/UIDrawnView.h"

#include <utility>

OBJC_CLASS(UIDrawnView, UIView)

UIDrawnView::UIDrawnView() { setUserInteractionEnabled(false); }

UIDrawnView::UIDrawnView(Drawing drawing) : UIDrawnView() { drawing_ = std::move(drawing); }

void UIDrawnView::setDrawing(Drawing drawing) {
  drawing_ = std::move(drawing);
  setNeedsDisplay();
}

void UIDrawnView::drawRect(CGContext& context, CGRect rect) {
  if (drawing_) drawing_(*this, context, rect);
}
