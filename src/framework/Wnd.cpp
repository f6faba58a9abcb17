#include "framework/Dialog.h"
#include "framework/Static.h"
#include "framework/Wnd.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)
IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)

CWnd::CWnd() = default;

CDialog::CDialog() = default;
CDialog::~CDialog() = default;

CStatic::CStatic() = default;
CStatic::~CStatic() = default;
