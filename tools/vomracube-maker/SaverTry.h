// Try: the saver being made, written to a folder of its own under the temporary folder as
// VomraCube.scr and run full screen (/s). The copy is deleted once the saver has ended;
// until then Windows keeps a running program's file.
#pragma once

#include "platform/Win32.h"

#include <string>

class SaverTry {
  public:
    SaverTry() = default;
    // Asks a saver still running to close, waits a little for it, then deletes the copy.
    ~SaverTry();
    SaverTry(const SaverTry&) = delete;
    SaverTry& operator=(const SaverTry&) = delete;

    // Makes the folder for the copy; false with a message when there is no room for one.
    // The copy is then written to SaverPath() (on the maker's worker thread) and run by
    // Launch, or given up with Abandon.
    bool Prepare(std::string& error);
    const std::string& SaverPath() const { return m_saver; }
    // Runs the copy full screen; false (the copy removed) when it could not start.
    bool Launch(std::string& error);
    void Abandon() { Finish(); }
    bool Running() const;
    // Deletes the copy once the saver has ended; true while there is still something to do.
    bool Poll();

  private:
    void Finish();

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    std::string m_folder; // empty when there is no copy
    std::string m_saver;
};
