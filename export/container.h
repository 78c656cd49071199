#pragma once
#include <string>

namespace tavrix {

// The file format of an export, chosen by the file name: AVI unless the name
// ends in .mp4, .m4v, .mov or .mkv (any case).
enum class Container { kAvi, kMp4, kMov, kMkv };

Container ContainerForPath(const std::string& path);
// FFmpeg's muxer name for the container.
const char* MuxerName(Container container);
// MP4 has no place for G.711 sound; the exporter transcodes it to AAC there.
bool CarriesG711(Container container);

}  // namespace tavrix
