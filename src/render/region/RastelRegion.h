// A drawing region: the offscreen surface an animation window draws into, and the few
// drawing operations the scene uses. Scene points are 16.16 fixed point with the origin at
// the region centre and y growing upwards; the region transform turns them into the
// renderer's 18.14 device units.
#pragma once

#include "framework/Object.h"
#include "platform/Win32.h"

#include <cstdint>

class CWnd;
struct PictureLevels;

// The six words handed to the renderer's SetTransform: device = (x·a + y·c + e) >> 16 and
// (x·b + y·d + f) >> 16.
struct RegionTransform {
    int32_t a, b, c, d;
    int64_t e, f;
};

class RastelRegion : public CObject {
    DECLARE_DYNAMIC(RastelRegion)
  public:
    // Reads the display depth of the screen (natively: 32 unless told otherwise).
    explicit RastelRegion(int transparencyOption);
    ~RastelRegion() override;

    // Virtual slots 3 to 10, in this order.
    virtual BOOL Init(CWnd* window, const RECT* rect);
    virtual BOOL RealizePalette();
    virtual void BeginFrame();
    virtual void EndFrame();
    virtual void Blit(const RECT* changed);
    virtual void SetFillColour(const BYTE rgba[4], double intensity, int extra);
    virtual void SetFillBitmap(const BITMAPINFOHEADER* dib, const POINT* p0, const POINT* p1,
                               const POINT* p2, const POINT* p3, double intensity, int mode,
                               int transparency, int extra);
    // SetFillBitmap for a smooth picture: its levels (Renderer.h) take the place of the
    // packed picture, lit by the same intensity.
    void SetFillLevels(const PictureLevels* levels, const POINT* p0, const POINT* p1,
                       const POINT* p2, const POINT* p3, double intensity, int mode,
                       int transparency);
    virtual void FillQuad(const POINT* p0, const POINT* p1, const POINT* p2, const POINT* p3);

    void SetPerspective(int on) { m_perspective = on; }

    int GetTransparencyOption() const { return m_transparencyOption; }
    int GetPerspective() const { return m_perspective; }
    int GetDisplayDepth() const { return m_displayDepth; }
    const RECT& GetRect() const { return m_rect; }
    const BITMAPINFO* GetHeader() const { return m_header; }
    void* GetBits() const { return m_bits; }
    const RegionTransform& GetTransform() const { return m_transform; }

  protected:
    RastelRegion(int transparencyOption, int displayDepth);

    // Init without the window check: origin, rectangle, blend table, transform and target
    // palette, then RealizePalette. 0 for a missing or empty rectangle.
    BOOL InitRegion(CWnd* window, const RECT* rect);

    int m_transparencyOption;
    int m_perspective = 1;
    int m_displayDepth;
    POINT m_origin{0, 0};
    BITMAPINFO* m_header = nullptr;
    void* m_bits = nullptr;
    RegionTransform m_transform{};
    CWnd* m_window = nullptr;
    RECT m_rect{0, 0, 0, 0};
};
