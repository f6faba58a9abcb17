// Turning a clip the saver cannot play (MP4, MOV, MKV/WebM, animated WebP or PNG, ...) into
// an AVI it plays, with ffmpeg: Microsoft Video 1 frames, which every Windows has a codec
// for and which ffmpeg encodes about as fast as it decodes (its Cinepak encoder needs most
// of a second per frame), no sound, the longer side capped and the frame rate lowered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kVideoMaxSide = 640;
constexpr int kVideoFrameRate = 15;

// ffmpeg's arguments (after the program name) that write the AVI `output` from `input`, as
// a user would type them. Both names go through the "file:" protocol, so that no name is
// read as another of ffmpeg's protocols ("concat:b.mp4" is a file of that name).
std::vector<std::string> VideoConversionArguments(const std::string& input,
                                                  const std::string& output);

// The same for the tool's own run: no questions on standard input, only errors on standard
// error, and the (temporary) output file overwritten.
std::vector<std::string> UnattendedArguments(std::vector<std::string> args);

// The command as a user types it into this system's shell, every argument that needs it
// quoted.
std::string CommandText(const std::string& program, const std::vector<std::string>& args);

// Where a user would put the AVI of `input`: the same name with the extension ".avi", or
// with "-msvideo1.avi" when that is the input's own name.
std::string AviNameFor(const std::string& input);

// How long a conversion may run before it counts as hung: two minutes, and ten seconds
// more per MiB of the clip (a clip's length in time is not known before ffmpeg reads it).
uint32_t ConversionTimeLimitMs(uint64_t clipBytes);

// What the converted video is, in words, for the tool's report.
std::string VideoConversionText();

// Whether every Windows has a codec for AVI frames of this compression (Microsoft Video 1,
// Cinepak, Microsoft RLE); other codecs come only with codec packs.
bool WindowsHasCodec(uint32_t compression);
