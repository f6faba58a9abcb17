// The frames of one AVI video as a frame getter delivers them: the frame asked for, which
// stays valid until the next request, read while the scene draws into a second buffer.
// Motion-JPEG frames are decoded one frame ahead on a thread of the getter's own, so that the
// window thread finds the next frame decoded instead of decoding it (a 1280 x 720 frame costs
// milliseconds, a frame of the saver's scene not many more). The thread reads through its
// own AviVideo of the clip and writes only the buffer not shown: the window thread waits for
// it only when it asks before the thread is done, which takes one frame's decode at most.
// A frame that cannot be read (a damaged JPEG, a chunk cut short) leaves the last one shown,
// so a clip with a bad frame stutters, never blanks.
#pragma once

#include "import/AviReader.h"
#include "platform/WorkerThread.h"

#include <cstdint>
#include <vector>

class ReadAheadFrames {
  public:
    // Opens the clip `stream` opened, Motion-JPEG frames at 1/scale; false when it cannot be
    // opened again or the buffers do not fit in memory. Reads ahead when `readAhead` and a
    // thread can be started.
    bool Open(const AviVideo& stream, int scale, bool readAhead);
    // Frame `position`, or the last frame shown when it cannot be read; null while no frame
    // has been read. Reads `position` + the last step ahead.
    const BYTE* Frame(int32_t position);

  private:
    static void ReadNext(void* self);
    void TakeReadAhead(int32_t position);
    void PostReadAhead(int32_t position);

    AviVideo m_video; // read by the thread while a read is posted, else by the owner
    std::vector<BYTE> m_shown, m_next;
    int32_t m_shownIndex = -1; // -1 while nothing is shown
    int32_t m_lastAsked = -1;
    int32_t m_nextIndex = -1;
    bool m_nextRead = false;
    bool m_posted = false;
    bool m_threaded = false;
    // Last, so that it is destroyed first: its destructor waits for the read in hand.
    WorkerThread m_worker;
};
