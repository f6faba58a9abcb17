// A static control; in this program only ever an existing dialog control taken over with
// SubclassDlgItem.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
  public:
    CStatic();
    ~CStatic() override;
};
