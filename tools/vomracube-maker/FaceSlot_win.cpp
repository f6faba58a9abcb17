#include "FaceSlot.h"

#include "MakerResource.h"
#include "import/PictureSource.h"
#include "import/PixelLayouts.h"
#include "make/FaceSentence.h"
#include "make/FaceThumbnail.h"
#include "make/picture/RgbaImage.h"
#include "platform/Wide.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

namespace {
constexpr int kModeFit = 0;
constexpr int kModeFill = 1;

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Red, green, blue, opacity to the blue, green, red order of a DIB; the fourth byte is not
// drawn (BI_RGB).
bool ToBgra(const RgbaImage& image, std::vector<uint8_t>& bgra) {
    // The drawing reads width x height pixels: a picture must hold exactly that many.
    const uint64_t bytes = static_cast<uint64_t>(image.width) * image.height * 4;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != bytes) {
        return false;
    }
    try {
        bgra.resize(image.pixels.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    using namespace pixel;
    for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
        bgra[i + slot::kBlue] = image.pixels[i + rgba::kBlue];
        bgra[i + slot::kGreen] = image.pixels[i + rgba::kGreen];
        bgra[i + slot::kRed] = image.pixels[i + rgba::kRed];
        bgra[i + slot::kUnused] = 0;
    }
    return true;
}
} // namespace

bool FaceSlot::PartOfId(int id, int& face, int& part) {
    const int offset = id - IDC_SLOT_BASE;
    if (offset < 0 || offset >= kPayloadFaceCount * IDC_SLOT_STRIDE) {
        return false;
    }
    face = offset / IDC_SLOT_STRIDE;
    part = offset % IDC_SLOT_STRIDE;
    return true;
}

int FaceSlot::ControlId(int face, int part) {
    return IDC_SLOT_BASE + face * IDC_SLOT_STRIDE + part;
}

HWND FaceSlot::Control(int part) const {
    return GetDlgItem(m_dialog, ControlId(m_face, part));
}

void FaceSlot::Attach(HWND dialog, int face, HWND tooltip) {
    m_dialog = dialog;
    m_face = face;
    const HWND mode = Control(IDC_SLOT_MODE);
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Fit (whole)"));
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Fill (cover)"));
    SendMessageA(mode, CB_SETCURSEL, kModeFit, 0);
    if (!tooltip) {
        return;
    }
    for (int part : {IDC_SLOT_FILE, IDC_SLOT_VERDICT, IDC_SLOT_THUMBNAIL}) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(part));
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

FaceMode FaceSlot::SelectedMode() const {
    return SendMessageA(Control(IDC_SLOT_MODE), CB_GETCURSEL, 0, 0) == kModeFill ? FaceMode::kFill
                                                                                 : FaceMode::kFit;
}

void FaceSlot::Show(const ProjectFace& face) {
    const std::string name = face.source.empty() ? "(no file)" : FileNameOf(face.source);
    SetWindowTextW(Control(IDC_SLOT_FILE), wide::FromUtf8(name).c_str());
    SetWindowTextW(Control(IDC_SLOT_VERDICT), wide::FromUtf8(FaceSentence(face)).c_str());
    // The details name the file as the slot does, without its folder.
    const std::string details = FaceDetails(face, face.Empty() ? std::string() : name);
    m_nameTip = wide::FromUtf8(name);
    m_detailsTip = wide::FromUtf8(details);
    // The picture's own text, never drawn: what a screen reader says for it.
    SetWindowTextW(Control(IDC_SLOT_THUMBNAIL), m_detailsTip.c_str());
    m_status = "Face " + std::to_string(m_face + 1) + ": " + FaceSentence(face) + "\n" + details;
    const bool fill = face.mode == FaceMode::kFill;
    SendMessageA(Control(IDC_SLOT_MODE), CB_SETCURSEL, fill ? kModeFill : kModeFit, 0);
    if (fill != m_fill) {
        m_fill = fill;
        InvalidateRect(Control(IDC_SLOT_THUMBNAIL), nullptr, TRUE);
    }
}

const std::wstring& FaceSlot::TipText(int part) const {
    return part == IDC_SLOT_FILE ? m_nameTip : m_detailsTip;
}

std::string FaceSlot::StatusText() const {
    return m_status;
}

void FaceSlot::ShowThumbnail(const FaceThumbnail* thumbnail) {
    m_bgra.clear();
    m_width = m_height = 0;
    m_caption.clear();
    const bool moving = thumbnail && thumbnail->moving;
    if (thumbnail && thumbnail->image.width > 0 && ToBgra(thumbnail->image, m_bgra)) {
        m_width = thumbnail->image.width;
        m_height = thumbnail->image.height;
        m_caption = moving ? "moving" : "";
    }
    if (m_width == 0) {
        UseDefaultPicture();
        // A video whose codec this Windows lacks: the saver shows it where the codec is.
        if (moving) {
            m_caption = "video: no codec here";
        }
    }
    InvalidateRect(Control(IDC_SLOT_THUMBNAIL), nullptr, TRUE);
}

int FaceSlot::ThumbnailSide() const {
    RECT box;
    GetClientRect(Control(IDC_SLOT_THUMBNAIL), &box);
    return std::max(1, static_cast<int>(std::min(box.right, box.bottom)));
}

void FaceSlot::UseDefaultPicture() {
    RgbaImage picture;
    const BITMAPINFOHEADER* packed = GetDefaultPicture();
    if (!packed || !UnpackPicture(packed, picture) || picture.width <= 0) {
        return;
    }
    // Drawn scaled by GDI: it is small already.
    if (ToBgra(picture, m_bgra)) {
        m_width = picture.width;
        m_height = picture.height;
        m_caption = "default picture";
    }
}

// The thumbnail sits centred, shrunk to fit (the default picture is scaled by GDI), on the
// dialog's own background.
void FaceSlot::DrawThumbnail(const DRAWITEMSTRUCT& item) const {
    const RECT& box = item.rcItem;
    FillRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    if (m_width > 0 && m_height > 0 && boxWidth > 0 && boxHeight > 0) {
        // Fit: the whole picture, centred. Fill: the centre of the picture that covers the
        // square, as the face will show it. In 64 bits: a side times a side stays inside.
        int64_t width = boxWidth;
        int64_t height = static_cast<int64_t>(m_height) * boxWidth / m_width;
        int sourceX = 0, sourceY = 0, sourceWidth = m_width, sourceHeight = m_height;
        if (m_fill && m_caption != "default picture") {
            height = boxHeight;
            if (static_cast<int64_t>(m_width) * boxHeight >
                static_cast<int64_t>(m_height) * boxWidth) {
                sourceWidth =
                    static_cast<int>(static_cast<int64_t>(m_height) * boxWidth / boxHeight);
                sourceX = (m_width - sourceWidth) / 2;
            } else {
                sourceHeight =
                    static_cast<int>(static_cast<int64_t>(m_width) * boxHeight / boxWidth);
                sourceY = (m_height - sourceHeight) / 2;
            }
            sourceWidth = std::max(1, sourceWidth);
            sourceHeight = std::max(1, sourceHeight);
        } else if (height > boxHeight) {
            height = boxHeight;
            width = static_cast<int64_t>(m_width) * boxHeight / m_height;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetStretchBltMode(item.hDC, HALFTONE);
        // The crop is centred, so the rows are the same whichever end a top-down DIB's source
        // rectangle is counted from (systems differ there).
        StretchDIBits(item.hDC, box.left + static_cast<int>((boxWidth - width) / 2),
                      box.top + static_cast<int>((boxHeight - height) / 2), static_cast<int>(width),
                      static_cast<int>(height), sourceX, m_height - sourceY - sourceHeight,
                      sourceWidth, sourceHeight, m_bgra.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    if (!m_caption.empty()) {
        RECT band = box;
        band.top = std::max(box.top, box.bottom - 16);
        const HGDIOBJ font = SelectObject(
            item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageA(m_dialog, WM_GETFONT, 0, 0)));
        SetBkColor(item.hDC, RGB(0, 0, 0));
        SetTextColor(item.hDC, RGB(255, 255, 255));
        ExtTextOutA(item.hDC, band.left + 2, band.top + 1, ETO_OPAQUE | ETO_CLIPPED, &band,
                    m_caption.c_str(), static_cast<UINT>(m_caption.size()), nullptr);
        SelectObject(item.hDC, font);
    }
}

bool FaceSlot::Contains(POINT point) const {
    RECT rect;
    const HWND group = Control(IDC_SLOT_GROUP);
    if (!group || !GetWindowRect(group, &rect)) {
        return false;
    }
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&rect), 2);
    return PtInRect(&rect, point) != FALSE;
}
