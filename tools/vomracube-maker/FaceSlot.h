// One face slot of the maker's window: the thumbnail of what the face shows first (its
// picture as the face will show it, fitted or filled, a video's or an animated GIF's first
// frame marked "moving", or the default picture), the file's name (ellipsised, whole in a
// tooltip), the saver's verdict in one plain sentence (the details in a tooltip and in the
// status area), fit or fill, and the Browse and Clear buttons. The controls are the
// dialog's; the slot finds them by id.
#pragma once

#include "make/FaceThumbnail.h"
#include "make/SaverProject.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

class FaceSlot {
  public:
    // The slot's part (IDC_SLOT_...) and face of a control id, or false for another control.
    static bool PartOfId(int id, int& face, int& part);
    static int ControlId(int face, int part);

    // `tooltip` (may be null) gets the slot's name, verdict and thumbnail as tools whose
    // text the dialog asks for (TipText).
    void Attach(HWND dialog, int face, HWND tooltip);
    // Shows a face's file name, verdict sentence and mode; keeps the details for the tips.
    void Show(const ProjectFace& face);
    // The whole file name for the name's tip, the details for the verdict's and thumbnail's.
    const std::wstring& TipText(int part) const;
    // The details as the status area shows them when the slot has the focus.
    std::string StatusText() const;
    // Shows a thumbnail made on the worker thread; null (an empty face, one the saver cannot
    // show or one whose first image did not decode) shows the default picture.
    void ShowThumbnail(const FaceThumbnail* thumbnail);
    FaceMode SelectedMode() const;
    // The side of the square a thumbnail for this slot is made to fit.
    int ThumbnailSide() const;
    // Paints the thumbnail control (owner-drawn).
    void DrawThumbnail(const DRAWITEMSTRUCT& item) const;
    // Whether a point in the dialog's client coordinates lies on the slot.
    bool Contains(POINT point) const;

  private:
    HWND Control(int part) const;
    // The default picture as the thumbnail, for an empty face or one the saver cannot show.
    void UseDefaultPicture();

    HWND m_dialog = nullptr;
    int m_face = 0;
    std::vector<uint8_t> m_bgra; // top row first, for a top-down 32-bit DIB
    int m_width = 0;
    int m_height = 0;
    std::string m_caption; // over the thumbnail's foot: "moving", "default picture"
    bool m_fill = false;   // the thumbnail crops to the square face as the saver will
    std::wstring m_nameTip;
    std::wstring m_detailsTip;
    std::string m_status;
};
