#include "scene/ThreeDObject.h"

#include "scene/SceneRenderer.h"

IMPLEMENT_DYNAMIC(ThreeDObject, CObject)

bool IsEmpty(RECT* box) {
    if (box->left == 0 && box->top == 0 && box->right == 0 && box->bottom == 0) {
        return true;
    }
    if (box->right >= box->left && box->bottom >= box->top) {
        return false;
    }
    *box = RECT{};
    return true;
}

ThreeDObject::~ThreeDObject() {
    if (m_next) {
        m_next->m_prev = m_prev;
    }
    if (m_prev) {
        m_prev->m_next = m_next;
    }
}

void ThreeDObject::Update(double, const Matrix*, const Matrix*) {
    m_noUpdate = 1;
    m_update = RECT{};
    m_depth = 0;
    m_previous = m_current;
}

BOOL ThreeDObject::Erase(RastelRegion*) {
    if (!TakePreviousBox()) {
        return 0;
    }
    GetSceneRenderer().ClearBox(m_previous);
    return 1;
}

bool ThreeDObject::TakePreviousBox() {
    if (IsEmpty(&m_previous)) {
        return false;
    }
    UnionRect(&m_update, &m_update, &m_previous);
    m_noUpdate = 0;
    return true;
}

const RECT* ThreeDObject::Draw(RastelRegion*) {
    return nullptr;
}

const RECT* ThreeDObject::GetUpdateRect() {
    return m_noUpdate ? nullptr : &m_update;
}

const RECT* ThreeDObject::DrawTracked(RastelRegion* region) {
    SceneRenderer& renderer = GetSceneRenderer();
    renderer.ResetChangedBox();
    DrawFaces(region);
    m_current = renderer.GetChangedBox();
    if (!IsEmpty(&m_current)) {
        UnionRect(&m_update, &m_update, &m_current);
        m_noUpdate = IsEmpty(&m_update);
    }
    return GetUpdateRect();
}
