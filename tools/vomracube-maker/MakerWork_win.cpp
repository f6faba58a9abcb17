// The maker's work on the worker thread: faces prepared with their thumbnails, savers opened
// and saved. Each piece reads only what it was given when it was queued; its result reaches
// the project on the window thread. A save reads the faces where the project holds them, so
// changes to the faces wait until no save or try is under way (WhenFacesFree).
#include "MakerDlg.h"
#include "MakerResource.h"
#include "make/ProjectBudget.h"
#include "make/system/TempFile.h"

#include <commctrl.h>

#include <cstdio>

namespace {
std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FaceLabel(int face) {
    return "Face " + std::to_string(face + 1);
}

// A file's size as Explorer writes it: "850 KB", "7.3 MB", in units of 1024.
std::string SizeText(uint64_t bytes) {
    char text[32];
    if (bytes < (uint64_t{1} << 20)) {
        std::snprintf(text, sizeof text, "%u KB", static_cast<unsigned>((bytes + 1023) >> 10));
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
    }
    return text;
}

// How many faces the saver will show with the default picture instead of their file.
int FacesFallingBack(const SaverProject& project) {
    int count = 0;
    for (const ProjectFace& face : project.faces) {
        if (!face.Empty() && face.prepared.check.verdict == FaceVerdict::kDefault) {
            ++count;
        }
    }
    return count;
}

// The preview's copy of a face, written on the worker; null when it could not be.
std::unique_ptr<TempFile> PreviewFile(const ProjectFace& face) {
    if (face.Empty()) {
        return nullptr;
    }
    auto file = std::make_unique<TempFile>();
    return file->Write(face.prepared.data) ? std::move(file) : nullptr;
}

// A thumbnail only for what the saver shows; the slot shows the default picture otherwise.
FaceThumbnail ThumbnailOf(const ProjectFace& face, int side) {
    return face.FallsBack() ? FaceThumbnail{} : MakeFaceThumbnail(face.prepared.data, side);
}
} // namespace

// Files taken together: their failures are told in one message once the last is done.
struct MakerDlg::FaceBatch {
    std::string failures;
    int left = 0;
};

struct MakerDlg::PreparedSlot {
    ProjectFace face;
    FaceThumbnail thumbnail;
    std::unique_ptr<TempFile> previewFile;
    std::string error;
    bool taken = false;
};

void MakerDlg::TakeFaceFiles(const std::vector<std::string>& paths, const std::vector<int>& slots) {
    const auto batch = std::make_shared<FaceBatch>();
    batch->left = static_cast<int>(std::min(paths.size(), slots.size()));
    for (size_t i = 0; i < paths.size() && i < slots.size(); ++i) {
        QueueFace(slots[i], paths[i], batch);
    }
}

void MakerDlg::QueueFace(int face, const std::string& path,
                         const std::shared_ptr<FaceBatch>& batch) {
    auto piece = std::make_unique<WorkPiece>();
    piece->what = "Preparing " + FaceLabel(face) + " from " + FileNameOf(path);
    const auto slot = std::make_shared<PreparedSlot>();
    slot->face.source = path;
    slot->face.name = FileNameOf(path);
    slot->face.mode = m_slots[face].SelectedMode();
    const FacePlan plan = m_plan;
    const uint64_t otherFaces = m_project.FaceBytes(face);
    const int side = m_slots[face].ThumbnailSide();
    MakerWorker* const worker = &m_worker;
    piece->run = [slot, plan, otherFaces, side, worker](const std::atomic<bool>& cancel) {
        FacePlan cancellable = plan;
        cancellable.cancel = &cancel;
        // A clip's conversion tells how far it is; the bar then shows that share.
        cancellable.progress = [worker](double share) { worker->SetDone(share); };
        // The thumbnail comes from the decoding the preparation does anyway.
        cancellable.thumbnailSide = side;
        slot->taken = PrepareProjectFace(slot->face.source, cancellable, otherFaces,
                                         slot->face.prepared, slot->error);
        if (slot->taken) {
            slot->face.mode = PreferredMode(slot->face.prepared.check, slot->face.mode);
            slot->thumbnail = std::move(slot->face.prepared.thumbnail);
            slot->previewFile = PreviewFile(slot->face);
        }
    };
    piece->finish = [this, face, slot, batch](bool cancelled) {
        if (cancelled) {
            SetStatus(FaceLabel(face) + ": cancelled; the face is as it was.");
        } else if (!slot->taken) {
            batch->failures +=
                FaceLabel(face) + ": " + slot->face.source + "\n    " + slot->error + "\n";
        } else {
            WhenFacesFree([this, face, slot] {
                std::string error;
                if (!PutFace(face, *slot, error)) {
                    Fail("This file could not be used; its face is as it was:\n\n" +
                         slot->face.source + "\n    " + error);
                }
            });
        }
        if (--batch->left == 0 && !batch->failures.empty()) {
            Fail("These files could not be used; their faces are as they were:\n\n" +
                 batch->failures);
        }
    };
    m_worker.Queue(std::move(piece));
}

// The budget is checked again: other faces may have come in since the piece was queued.
bool MakerDlg::PutFace(int face, PreparedSlot& slot, std::string& error) {
    error = FaceBudgetRefusal(slot.face.prepared.data.size(), m_project.FaceBytes(face));
    if (!error.empty()) {
        return false;
    }
    m_project.faces[face] = std::move(slot.face);
    const ProjectFace& taken = m_project.faces[face];
    m_slots[face].Show(taken);
    m_slots[face].ShowThumbnail(taken.FallsBack() ? nullptr : &slot.thumbnail);
    m_preview.GiveFaceFile(face, std::move(slot.previewFile));
    Changed();
    // What was done to the file, or what the user can do (a clip to convert): the slot has
    // room for a sentence only.
    FollowSlot(face);
    return true;
}

void MakerDlg::OpenSaverFile(const std::string& path) {
    struct Opened {
        SaverFile file;
        FaceThumbnail thumbnails[kPayloadFaceCount];
        std::unique_ptr<TempFile> previewFiles[kPayloadFaceCount];
        std::string error;
        bool read = false;
    };
    auto piece = std::make_unique<WorkPiece>();
    piece->what = "Opening " + FileNameOf(path);
    const auto opened = std::make_shared<Opened>();
    const int side = m_slots[0].ThumbnailSide();
    piece->run = [opened, path, side](const std::atomic<bool>& cancel) {
        opened->read = ReadSaverToOpen(path, opened->file, opened->error);
        for (int face = 0; opened->read && face < kPayloadFaceCount && !cancel; ++face) {
            opened->thumbnails[face] = ThumbnailOf(opened->file.faces[face], side);
            opened->previewFiles[face] = PreviewFile(opened->file.faces[face]);
        }
    };
    piece->finish = [this, opened, path](bool cancelled) {
        if (cancelled) {
            SetStatus("Opening " + path + " was cancelled.");
            return;
        }
        if (!opened->read) {
            Fail("The saver could not be opened:\n" + path + "\n\n" + opened->error);
            return;
        }
        WhenFacesFree([this, opened, path] {
            m_project.Take(std::move(opened->file));
            for (int face = 0; face < kPayloadFaceCount; ++face) {
                m_preview.GiveFaceFile(face, std::move(opened->previewFiles[face]));
                const ProjectFace& shown = m_project.faces[face];
                m_slots[face].ShowThumbnail(shown.FallsBack() ? nullptr
                                                              : &opened->thumbnails[face]);
            }
            ShowProject();
            m_savedPath = path;
            m_dirty = false;
            UpdateTitle();
            SetStatus("Opened " + path + ".");
            Remember(path);
            RebuildPreview();
        });
    };
    m_worker.Queue(std::move(piece));
}

// The settings and modes are copied as they are now; the faces are read where they are.
void MakerDlg::SaveTo(const std::string& path, std::function<void()> then) {
    struct Saved {
        std::string error;
        uint64_t bytes = 0;
        bool saved = false;
    };
    auto piece = std::make_unique<WorkPiece>();
    piece->what = "Saving " + FileNameOf(path);
    const auto saved = std::make_shared<Saved>();
    uint32_t settings[kPayloadSettingCount];
    std::copy(std::begin(m_project.settings), std::end(m_project.settings), settings);
    PayloadFaceView faces[kPayloadFaceCount];
    m_project.Views(faces);
    const unsigned changes = m_changes;
    ++m_facesRead;
    // The project's picture mode, photo folder and face names go with it: a saver opened
    // and saved again keeps them.
    const PayloadExtension extension = m_project.Extension();
    piece->run = [this, saved, settings, faces, extension, path](const std::atomic<bool>& cancel) {
        saved->saved = SaveSaverWith(m_template, settings, faces, path, extension, saved->error,
                                     saved->bytes, &cancel);
    };
    piece->finish = [this, saved, path, changes, then](bool cancelled) {
        FacesFreed();
        if (cancelled || !saved->saved) {
            if (cancelled) {
                SetStatus("Saving was cancelled; " + path + " is as it was.");
            } else {
                Fail("The saver could not be saved as\n" + path + "\n\n" + saved->error);
            }
            return;
        }
        m_savedPath = path;
        m_dirty = changes != m_changes;
        UpdateTitle();
        std::string status = "Saved " + path + " (" + SizeText(saved->bytes) + ").";
        if (const int fallbacks = FacesFallingBack(m_project)) {
            status.append("\n").append(std::to_string(fallbacks));
            status.append(fallbacks == 1 ? " face shows" : " faces show");
            status.append(" the default picture: see its verdict.");
        }
        SetStatus(status);
        Remember(path);
        if (then) {
            then();
        }
    };
    m_worker.Queue(std::move(piece));
}

void MakerDlg::WhenFacesFree(std::function<void()> change) {
    if (m_facesRead == 0) {
        change();
    } else {
        m_faceChanges.push_back(std::move(change));
    }
}

void MakerDlg::FacesFreed() {
    if (--m_facesRead > 0) {
        return;
    }
    std::vector<std::function<void()>> changes;
    changes.swap(m_faceChanges);
    for (const std::function<void()>& change : changes) {
        change();
    }
}

// A failed allocation ends the piece, not the maker, and the user is told. The worker's
// results reach the project in one move each, so a project is never left half changed.
LRESULT MakerDlg::OnWorkDone(WPARAM, LPARAM lParam) {
    const std::unique_ptr<WorkPiece> piece = MakerWorker::Take(lParam);
    bool outOfMemory = piece->outOfMemory;
    try {
        if (piece->finish) {
            piece->finish(piece->cancelled);
        }
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    }
    if (outOfMemory) {
        Fail("There was not enough memory for this: " + piece->what + ".");
    }
    ShowProgress();
    return 0;
}

void MakerDlg::OnCancelWork() {
    m_worker.Cancel();
}

// Work that has run for half a second shows what it is, for how long, a moving bar and
// Cancel; short work shows nothing.
void MakerDlg::ShowProgress() {
    DWORD since = 0;
    const std::string what = m_worker.Running(since);
    const DWORD elapsed = GetTickCount() - since;
    const bool show = !what.empty() && elapsed >= kShowProgress;
    const HWND bar = ::GetDlgItem(m_hWnd, IDC_PROGRESS);
    const HWND cancel = ::GetDlgItem(m_hWnd, IDC_CANCEL_WORK);
    const int done = m_worker.Done();
    if (show && done >= 0) {
        ::SendMessageA(bar, PBM_SETPOS, done / 10, 0);
        SetStatus(what + "... " + std::to_string(done / 10) + "%, " +
                  std::to_string(elapsed / 1000) + " s");
    } else if (show) {
        // The work tells no share done: the bar sweeps once in four seconds to show it lives.
        ::SendMessageA(bar, PBM_SETPOS, (elapsed / 40) % 101, 0);
        SetStatus(what + "... " + std::to_string(elapsed / 1000) + " s");
    }
    if (show != m_progressShown) {
        ::ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
        ::ShowWindow(cancel, show ? SW_SHOW : SW_HIDE);
        m_progressShown = show;
    }
}
