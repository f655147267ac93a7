#include "toolkit/CViewContainer.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

namespace {

// The context's clip in its drawing coordinates (offset taken off).
CRect visibleArea(const CDrawContext* context)
{
    CRect clip;
    context->getClipRect(clip);
    return clip.offset(-context->getOffset().h, -context->getOffset().v);
}

CRect intersection(CRect rect, const CRect& other)
{
    return rect.bound(other);
}

// The frame of a view and of everything inside it.
void setFrameDeep(CView* view, CFrame* frame)
{
    view->setFrame(frame);
    if (!view->isTypeOf("CViewContainer")) return;
    const auto* container = static_cast<CViewContainer*>(view);
    for (long i = 0; i < container->getNbViews(); ++i) setFrameDeep(container->getView(i), frame);
}

bool overlapsInside(const CRect& a, const CRect& b)
{
    return intersection(a, b).width() > 0 && intersection(a, b).height() > 0;
}

// Copies what context shows in area (its drawing coordinates) to the
// top-left corner of into.
void copyUnder(CDrawContext* context, const CRect& area, CDrawContext* into)
{
    CGContextRef source = context->getCGContext();
    if (!source || !into->getCGContext()) return;
    CGImageRef pixels = CGBitmapContextCreateImage(source);
    if (!pixels) return;
    // The area's corners in the pixels (device space is y upwards).
    const CGAffineTransform ctm = CGContextGetCTM(source);
    const double x[] = {double(area.left) + context->getOffset().h,
                        double(area.right) + context->getOffset().h};
    const double y[] = {double(area.top) + context->getOffset().v,
                        double(area.bottom) + context->getOffset().v};
    double left = 1e30, right = -1e30, bottom = 1e30, top = -1e30;
    for (const double px : x) {
        for (const double py : y) {
            const double dx = ctm.a * px + ctm.c * py + ctm.tx, dy = ctm.b * px + ctm.d * py + ctm.ty;
            left = std::min(left, dx);
            right = std::max(right, dx);
            bottom = std::min(bottom, dy);
            top = std::max(top, dy);
        }
    }
    const double height = double(CGImageGetHeight(pixels));
    if (CGImageRef part = CGImageCreateWithImageInRect(
            pixels, CGRectMake(left, height - top, right - left, top - bottom))) {
        CGContextRef target = into->beginCGContext(true);
        into->drawCGImage(part, CRect(0, 0, area.width(), area.height()));
        into->releaseCGContext(target);
        CGImageRelease(part);
    }
    CGImageRelease(pixels);
}

} // namespace

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background) : CView(size)
{
    pParentFrame = frame;
    if (background) setBackground(background);
    bDirty = false;
}

CViewContainer::~CViewContainer()
{
    removeAll(true);
    if (pOffscreenContext) pOffscreenContext->forget();
}

CRect CViewContainer::localRect() const
{
    return {0, 0, size.width(), size.height()};
}

void CViewContainer::addView(CView* view)
{
    if (!view) return;
    view->remember();
    children.push_back(view);
    view->setParentView(this);
    setFrameDeep(view, pParentFrame);
    view->attached(this);
    view->setDirty();
}

void CViewContainer::addView(CView* view, const CRect& mouseableArea, bool mouseEnabled)
{
    if (!view) return;
    view->setMouseEnabled(mouseEnabled);
    view->setMouseableArea(mouseableArea);
    addView(view);
}

void CViewContainer::removeView(CView* view, bool withForget)
{
    const auto found = std::find(children.begin(), children.end(), view);
    if (found == children.end()) return;
    // The focus view may be the view or inside it.
    if (pParentFrame) {
        for (CView* focus = pParentFrame->getFocusView(); focus; focus = focus->getParentView()) {
            if (focus != view) continue;
            pParentFrame->setFocusView(nullptr);
            break;
        }
    }
    if (pLastDragView == view) pLastDragView = nullptr;
    // The focus view's looseFocus may have changed the list.
    children.erase(std::find(children.begin(), children.end(), view));
    view->removed(this);
    view->setParentView(nullptr);
    setFrameDeep(view, nullptr);
    if (withForget) view->forget();
    view->forget();
}

void CViewContainer::removeAll(bool withForget)
{
    while (!children.empty()) removeView(children.front(), withForget);
}

bool CViewContainer::isChild(CView* view) const
{
    return view && std::find(children.begin(), children.end(), view) != children.end();
}

CView* CViewContainer::getView(long index) const
{
    return index >= 0 && size_t(index) < children.size() ? children[size_t(index)] : nullptr;
}

void CViewContainer::setBackgroundColor(const CColor& color)
{
    backgroundColor = color;
    setDirty();
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    if (pBackground) {
        const CRect saved = visibleArea(context);
        context->setClipRect(intersection(rect, saved));
        const CPoint offset(rect.left + backgroundOffset.h, rect.top + backgroundOffset.v);
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, rect, offset);
        else
            pBackground->draw(context, rect, offset);
        context->setClipRect(saved);
    } else if (!bTransparencyEnabled) {
        context->setFillColor(backgroundColor);
        context->fillRect(rect);
    }
}

void CViewContainer::useOffscreen(bool use)
{
    bDrawInOffscreen = use;
    if (!use && pOffscreenContext) {
        pOffscreenContext->forget();
        pOffscreenContext = nullptr;
    }
}

CView* CViewContainer::getCurrentView() const
{
    if (!pParentFrame) return nullptr;
    CPoint where;
    pParentFrame->getCurrentLocation(where);
    if (pParentView) pParentView->frameToLocal(where);
    return getViewAt(where, false);
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    if (!pParentFrame) return nullptr;
    const CPoint local(where.h - size.left, where.v - size.top);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        CRect area;
        child->getMouseableArea(area);
        if (local.h < area.left || local.h > area.right || local.v < area.top || local.v > area.bottom)
            continue;
        if (deep && child->isTypeOf("CViewContainer"))
            return static_cast<CViewContainer*>(child)->getViewAt(local, true);
        return child;
    }
    return nullptr;
}

bool CViewContainer::advanceNextFocusView(CView* current, bool reverse)
{
    bool passed = current == nullptr;
    const size_t count = children.size();
    for (size_t n = 0; n < count && n < children.size(); ++n) {
        CView* child = children[reverse ? children.size() - 1 - n : n];
        if (!passed) {
            passed = child == current;
            continue;
        }
        if (child->wantsFocus()) {
            if (pParentFrame) pParentFrame->setFocusView(child);
            return true;
        }
        if (child->isTypeOf("CViewContainer") &&
            static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse))
            return true;
    }
    return false;
}

void CViewContainer::modifyDrawContext(CPoint& saved, CDrawContext* context) const
{
    saved = context->getOffset();
    context->setOffset(CPoint(saved).offset(size.left, size.top));
}

void CViewContainer::restoreDrawContext(CDrawContext* context, const CPoint& saved) const
{
    context->setOffset(saved);
}

void CViewContainer::makeOffscreen()
{
    if (pOffscreenContext) pOffscreenContext->forget();
    pOffscreenContext = new COffscreenContext(pParentFrame, size.width(), size.height(), kBlackCColor);
}

CDrawContext* CViewContainer::beginChildDrawing(CDrawContext* context, CPoint& savedOffset)
{
    if (bDrawInOffscreen && !pOffscreenContext) makeOffscreen();
    if (pOffscreenContext && bTransparencyEnabled) copyUnder(context, size, pOffscreenContext);
    if (pOffscreenContext) return pOffscreenContext;
    modifyDrawContext(savedOffset, context);
    return context;
}

void CViewContainer::endChildDrawing(CDrawContext* context, const CRect& local, const CPoint& savedOffset)
{
    if (pOffscreenContext)
        pOffscreenContext->copyFrom(context, CRect(local).offset(size.left, size.top), local.topLeft());
    else
        restoreDrawContext(context, savedOffset);
    setDirty(false);
}

void CViewContainer::draw(CDrawContext* context)
{
    if (!context) return;
    CPoint savedOffset;
    CDrawContext* target = beginChildDrawing(context, savedOffset);

    const CRect visible = visibleArea(target);
    const CRect clip = intersection(localRect(), visible);
    target->setClipRect(clip);
    drawBackgroundRect(target, localRect());
    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        CRect childSize;
        target->setClipRect(intersection(child->getViewSize(childSize), clip));
        child->draw(target);
    }
    target->setClipRect(visible);
    endChildDrawing(context, localRect(), savedOffset);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (!context) return;
    CRect local = intersection(updateRect, size);
    local.offset(-size.left, -size.top);
    CPoint savedOffset;
    CDrawContext* target = beginChildDrawing(context, savedOffset);

    const CRect visible = visibleArea(target);
    const CRect clip = intersection(local, visible);
    target->setClipRect(clip);
    drawBackgroundRect(target, local);
    const bool scrolls = isTypeOf("CScrollContainer");
    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        CRect childSize;
        child->getViewSize(childSize);
        if (!child->checkUpdate(local)) continue;
        const CRect childClip = intersection(childSize, clip);
        if (childClip.isEmpty()) continue;
        const bool wasDirty = child->isDirty();
        target->setClipRect(childClip);
        child->drawRect(target, local);
        if (wasDirty && childClip != childSize && !scrolls) child->setDirty(true);
    }
    target->setClipRect(visible);
    endChildDrawing(context, local, savedOffset);
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect)
{
    CRect inParent(rect);
    inParent.offset(size.left, size.top);
    if (bTransparencyEnabled) {
        if (pParentView)
            pParentView->redrawRect(context, inParent);
        else if (pParentFrame && pParentFrame != this)
            pParentFrame->drawRect(context, inParent);
        return;
    }
    CPoint parentOrigin;
    if (pParentView) pParentView->localToFrame(parentOrigin);
    const CPoint saved = context->getOffset();
    context->setOffset(CPoint(saved).offset(parentOrigin.h, parentOrigin.v));
    drawRect(context, inParent);
    context->setOffset(saved);
}

void CViewContainer::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    CPoint local(where.h - size.left, where.v - size.top);
    if (buttons == kButtonsFromContext && context) buttons = context->getMouseButtons();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (child->getMouseEnabled() && child->hitTest(local, buttons)) {
            child->mouse(context, local, buttons);
            return;
        }
    }
}

bool CViewContainer::hitTestSubViews(const CPoint& where, long buttons)
{
    const CPoint local(where.h - size.left, where.v - size.top);
    return std::any_of(children.rbegin(), children.rend(), [&](CView* child) {
        return child->getMouseEnabled() && child->hitTest(local, buttons);
    });
}

long CViewContainer::onKeyDown(VstKeyCode& keyCode)
{
    for (size_t n = 0; n < children.size(); ++n)
        if (children[children.size() - 1 - n]->onKeyDown(keyCode) != kNotHandled) break;
    return kNotHandled;
}

long CViewContainer::onKeyUp(VstKeyCode& keyCode)
{
    for (size_t n = 0; n < children.size(); ++n)
        if (children[children.size() - 1 - n]->onKeyUp(keyCode) != kNotHandled) break;
    return kNotHandled;
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, kMouseWheelAxisY, distance);
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance)
{
    CView* child = getViewAt(where, false);
    if (!child) return false;
    CPoint saved;
    if (context) modifyDrawContext(saved, context);
    const bool result =
        child->onWheel(context, CPoint(where.h - size.left, where.v - size.top), axis, distance);
    if (context) restoreDrawContext(context, saved);
    return result;
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    pLastDragView = nullptr;
    CView* child = getViewAt(where, false);
    return child && child->onDrop(context, drag, CPoint(where.h - size.left, where.v - size.top));
}

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    pLastDragView = getViewAt(where, false);
    if (pLastDragView)
        pLastDragView->onDragEnter(context, drag, CPoint(where.h - size.left, where.v - size.top));
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    CView* last = pLastDragView;
    pLastDragView = nullptr;
    if (last) last->onDragLeave(context, drag, CPoint(where.h - size.left, where.v - size.top));
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    const CPoint local(where.h - size.left, where.v - size.top);
    CView* child = getViewAt(where, false);
    if (child == pLastDragView) {
        if (child) child->onDragMove(context, drag, local);
        return;
    }
    if (pLastDragView) pLastDragView->onDragLeave(context, drag, local);
    pLastDragView = child;
    if (child) child->onDragEnter(context, drag, local);
}

void CViewContainer::looseFocus(CDrawContext* context)
{
    for (size_t i = 0; i < children.size(); ++i) children[i]->looseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context)
{
    for (size_t i = 0; i < children.size(); ++i) children[i]->takeFocus(context);
}

bool CViewContainer::isDirty() const
{
    if (bDirty) return true;
    return std::any_of(children.begin(), children.end(), [&](CView* child) {
        CRect childSize;
        return child->isDirty() && overlapsInside(child->getViewSize(childSize), localRect());
    });
}

void CViewContainer::setViewSize(const CRect& rect)
{
    CView::setViewSize(rect);
    if (pOffscreenContext) makeOffscreen();
}

bool CViewContainer::removed(CView* parent)
{
    if (pOffscreenContext) {
        pOffscreenContext->forget();
        pOffscreenContext = nullptr;
    }
    return CView::removed(parent);
}

bool CViewContainer::attached(CView* parent)
{
    if (bDrawInOffscreen && !pOffscreenContext) makeOffscreen();
    return CView::attached(parent);
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const
{
    point.offset(-size.left, -size.top);
    return pParentView && pParentView->isTypeOf("CViewContainer") ? pParentView->frameToLocal(point) : point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const
{
    point.offset(size.left, size.top);
    return pParentView && pParentView->isTypeOf("CViewContainer") ? pParentView->localToFrame(point) : point;
}

long CViewContainer::notify(CView*, const char* message)
{
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CViewContainer") == 0 || CView::isTypeOf(type);
}

void CViewContainer::update(CDrawContext* context)
{
    if (updateMode != kRedrawWhenDirty && updateMode != kRedrawDirtyChildren) return;
    if (updateMode == kRedrawWhenDirty || bDirty) {
        if (isDirty() && context) redrawRect(context, localRect());
        setDirty(false);
        return;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        CView* child = children[i];
        CRect childSize;
        child->getViewSize(childSize);
        if (!child->isDirty() || !overlapsInside(childSize, localRect())) continue;
        if (child->notify(this, kMsgCheckIfViewContainer))
            child->update(context);
        else if (context)
            child->redrawRect(context, intersection(childSize, localRect()));
    }
    setDirty(false);
}
