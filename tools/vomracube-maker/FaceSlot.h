// One face slot of the maker's window: the thumbnail of what the face shows first (its
// picture, a video's or an animated GIF's first frame marked "moving", or the default
// picture), the file's name, the saver's verdict in the pack tool's words, fit or fill, and
// the Browse and Clear buttons. The controls are the dialog's; the slot finds them by id.
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

    void Attach(HWND dialog, int face);
    // Shows a face's file name, verdict and notes, and mode.
    void Show(const ProjectFace& face);
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
};
