#include "tests/export/ffprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

namespace tavrix::test {

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

struct PipeClose {
  void operator()(std::FILE* pipe) const { pclose(pipe); }
};

std::string RunCommand(const std::string& command) {
  std::unique_ptr<std::FILE, PipeClose> pipe(popen(command.c_str(), "r"));
  std::string output;
  if (!pipe) return output;
  char buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, count);
  return output;
}

QJsonObject RunProbe(const std::string& arguments, const std::string& path) {
  const std::string output =
      RunCommand("ffprobe -v error -print_format json " + arguments + " " + Quote(path) + " 2>/dev/null");
  return QJsonDocument::fromJson(QByteArray(output.data(), static_cast<int>(output.size()))).object();
}

// Matroska keeps a stream's length as a tag "HH:MM:SS.nnnnnnnnn".
double MatroskaDuration(const QJsonObject& tags) {
  const QStringList parts = tags["DURATION"].toString().split(':');
  if (parts.size() != 3) return 0;
  return parts[0].toDouble() * 3600 + parts[1].toDouble() * 60 + parts[2].toDouble();
}

}  // namespace

const ProbedStream* ProbedFile::First(const std::string& type) const {
  for (const auto& stream : streams) {
    if (stream.type == type) return &stream;
  }
  return nullptr;
}

ProbedFile Probe(const std::string& path) {
  ProbedFile file;
  const QJsonObject root = RunProbe("-count_frames -show_streams", path);
  if (!root.contains("streams")) {
    file.error = "ffprobe could not read " + path;
    return file;
  }
  for (const auto& value : root["streams"].toArray()) {
    const QJsonObject object = value.toObject();
    ProbedStream stream;
    stream.type = object["codec_type"].toString().toStdString();
    stream.codec = object["codec_name"].toString().toStdString();
    stream.width = object["width"].toInt();
    stream.height = object["height"].toInt();
    stream.frames = object["nb_read_frames"].toString().toLongLong();
    stream.duration = object.contains("duration") ? object["duration"].toString().toDouble()
                                                  : MatroskaDuration(object["tags"].toObject());
    stream.codecTag = object["codec_tag"].toString().toStdString();
    stream.sampleRate = object["sample_rate"].toString().toInt();
    file.streams.push_back(stream);
  }
  file.ok = true;
  return file;
}

std::int64_t ProbeAudioSamples(const std::string& path) {
  const QJsonObject root = RunProbe("-select_streams a:0 -show_entries frame=nb_samples", path);
  std::int64_t samples = 0;
  for (const auto& frame : root["frames"].toArray()) samples += frame.toObject()["nb_samples"].toInt();
  return samples;
}

bool AllVideoPacketsAreKeyFrames(const std::string& path) {
  const QJsonObject root = RunProbe("-select_streams v:0 -show_entries packet=flags", path);
  const QJsonArray packets = root["packets"].toArray();
  if (packets.isEmpty()) return false;
  for (const auto& packet : packets) {
    if (!packet.toObject()["flags"].toString().startsWith('K')) return false;
  }
  return true;
}

std::vector<std::uint8_t> DecodeVideoBgr24(const std::string& path) {
  const std::string output =
      RunCommand("ffmpeg -v error -i " + Quote(path) + " -map 0:v:0 -f rawvideo -pix_fmt bgr24 - 2>/dev/null");
  return std::vector<std::uint8_t>(output.begin(), output.end());
}

}  // namespace tavrix::test
