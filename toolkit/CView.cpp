#include "toolkit/CView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";

CView::CView(const CRect& size) : size(size), mouseableArea(size)
{
}

CView::~CView()
{
    if (pBackground) pBackground->forget();
}

void CView::draw(CDrawContext* context)
{
    if (pBackground) {
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size);
        else
            pBackground->draw(context, size);
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&)
{
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect) const
{
    return updateRect.left <= size.right && updateRect.right >= size.left && updateRect.top <= size.bottom &&
           updateRect.bottom >= size.top;
}

void CView::mouse(CDrawContext*, CPoint&, long)
{
}

void CView::setBackground(CBitmap* bitmap)
{
    if (bitmap) bitmap->remember();
    if (pBackground) pBackground->forget();
    pBackground = bitmap;
    setDirty();
}

long CView::onKeyDown(VstKeyCode&)
{
    return kNotHandled;
}

long CView::onKeyUp(VstKeyCode&)
{
    return kNotHandled;
}

bool CView::onWheel(CDrawContext*, const CPoint&, float)
{
    return false;
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis, float distance)
{
    return onWheel(context, where, distance);
}

bool CView::onDrop(CDrawContext*, CDragContainer*, const CPoint&)
{
    return false;
}

void CView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint&)
{
}

void CView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&)
{
}

void CView::onDragMove(CDrawContext*, CDragContainer*, const CPoint&)
{
}

void CView::looseFocus(CDrawContext*)
{
}

void CView::takeFocus(CDrawContext*)
{
}

CRect& CView::getMouseableArea(CRect& rect) const
{
    rect = mouseableArea;
    return rect;
}

bool CView::hitTest(const CPoint& where, long)
{
    return where.h >= mouseableArea.left && where.h <= mouseableArea.right && where.v >= mouseableArea.top &&
           where.v <= mouseableArea.bottom;
}

void CView::setViewSize(const CRect& rect)
{
    size = rect;
    setDirty();
}

CRect& CView::getViewSize(CRect& rect) const
{
    rect = size;
    return rect;
}

bool CView::removed(CView*)
{
    return true;
}

bool CView::attached(CView*)
{
    return true;
}

void CView::getMouseLocation(CDrawContext* context, CPoint& point)
{
    if (!context) return;
    if (pParentView && pParentView->notify(this, kMsgCheckIfViewContainer)) {
        const CPoint saved = context->getOffset();
        CRect parentSize;
        pParentView->getViewSize(parentSize);
        context->setOffset(CPoint(saved).offset(parentSize.left, parentSize.top));
        pParentView->getMouseLocation(context, point);
        context->setOffset(saved);
    } else {
        context->getMouseLocation(point);
    }
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer")) return pParentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer")) return pParentView->localToFrame(point);
    return point;
}

AEffGUIEditor* CView::getEditor() const
{
    return pParentFrame ? pParentFrame->getEditor() : nullptr;
}

long CView::notify(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (pParentView)
        pParentView->redrawRect(context, rect);
    else if (pParentFrame)
        pParentFrame->drawRect(context, rect);
}

bool CView::isTypeOf(const char* type) const
{
    return std::strcmp(type, "CView") == 0;
}

void CView::update(CDrawContext* context)
{
    if (!isDirty()) return;
    if (context)
        redrawRect(context, size);
    else
        redraw();
    setDirty(false);
}

void CView::redraw()
{
    if (pParentFrame) pParentFrame->draw(this);
}

bool CView::setAttribute(CViewAttributeID id, int32_t length, const void* data)
{
    if (length < 0 || (length > 0 && !data)) return false;
    for (Attribute& attribute : attributes) {
        if (attribute.id != id) continue;
        if (attribute.bytes.size() < size_t(length)) return false;
        if (length > 0) std::memcpy(attribute.bytes.data(), data, size_t(length));
        return true;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    attributes.push_back({id, std::vector<uint8_t>(bytes, bytes + length)});
    return true;
}

bool CView::getAttributeSize(CViewAttributeID id, int32_t& length) const
{
    for (const Attribute& attribute : attributes) {
        if (attribute.id != id) continue;
        length = int32_t(attribute.bytes.size());
        return true;
    }
    return false;
}

bool CView::getAttribute(CViewAttributeID id, int32_t capacity, void* data, int32_t& length) const
{
    for (const Attribute& attribute : attributes) {
        if (attribute.id != id) continue;
        if (capacity < 0 || size_t(capacity) < attribute.bytes.size()) return false;
        if (!attribute.bytes.empty()) std::memcpy(data, attribute.bytes.data(), attribute.bytes.size());
        length = int32_t(attribute.bytes.size());
        return true;
    }
    return false;
}
