// A finished saver with the given nine settings and six faces (empty ones by default), standing in
// for the running program. Its face files go to a temporary folder of the test's own; both
// stand-ins are lifted when it goes, and its folders are removed once empty.
#pragma once

#include "../ScratchFolder.h"
#include "make/PayloadWriter.h"
#include "platform/Win32.h"

#include <vector>

class FinishedSaver {
  public:
    // faces: six of them, or null for six empty ones.
    explicit FinishedSaver(const uint32_t* settings, const PayloadFace* faces = nullptr)
        : m_saverFolder("vc-scene-saver"), m_tempFolder("vc-scene-temp") {
        const PayloadFace empty[6];
        std::vector<BYTE> image = {'M', 'Z', 0, 0};
        m_written = WritePayload(image, settings, faces ? faces : empty);
        platform::SetModuleFileNameOverride(m_saverFolder.Write("saver.scr", image).c_str());
        platform::SetTempPathOverride(m_tempFolder.Path().c_str());
    }
    ~FinishedSaver() {
        platform::SetTempPathOverride(nullptr);
        platform::SetModuleFileNameOverride(nullptr);
        m_saverFolder.Remove("saver.scr");
    }
    FinishedSaver(const FinishedSaver&) = delete;
    FinishedSaver& operator=(const FinishedSaver&) = delete;

    bool IsWritten() const { return m_written; }
    // How many face files the temporary folder holds now.
    size_t FaceFiles() const { return m_tempFolder.Entries().size(); }

  private:
    ScratchFolder m_saverFolder;
    ScratchFolder m_tempFolder;
    bool m_written = false;
};
