#include "export/audio_track.h"

#include <algorithm>
#include <cstring>

#include "export/ffmpeg_error.h"
#include "media/frame_limits.h"

namespace tavrix {

namespace {

constexpr int kAacBitRate = 32000;

// How the stored samples are described; 8-bit signed samples are written as
// unsigned (top bit flipped), the only 8-bit PCM that AVI and MKV know.
AVCodecID StoredCodec(AudioFormat audioFormat) {
  switch (audioFormat) {
    case AudioFormat::QM_ALAW: return AV_CODEC_ID_PCM_ALAW;
    case AudioFormat::QM_MLAW: return AV_CODEC_ID_PCM_MULAW;
    case AudioFormat::QM_UPCM16:
    case AudioFormat::QM_SPCM16: return AV_CODEC_ID_PCM_S16LE;
    default: return AV_CODEC_ID_PCM_U8;
  }
}

float SampleToFloat(const AVFrame& frame, int index) {
  if (frame.format == AV_SAMPLE_FMT_U8) return (frame.data[0][index] - 128) / 128.0f;
  std::int16_t sample;
  std::memcpy(&sample, frame.data[0] + 2 * index, sizeof sample);
  return sample / 32768.0f;
}

}  // namespace

int AudioTrack::Open(MediaFile& file, AudioFormat audioFormat, int sampleRate, std::string& error) {
  Close();
  const AVCodecID stored = StoredCodec(audioFormat);
  blockAlign_ = stored == AV_CODEC_ID_PCM_S16LE ? 2 : 1;
  flipSignBit_ = audioFormat == AudioFormat::QM_SPCM8;
  packet_.reset(av_packet_alloc());
  if (flipSignBit_) flipped_.resize(static_cast<int>(kMaxFrameBytes));
  if (!packet_) {
    error = "out of memory for the audio stream";
    return kExportStreamFailed;
  }
  if (!CarriesG711(file.container())) return OpenTranscoder(file, stored, sampleRate, error);

  stream_ = file.AddStream();
  if (!stream_) {
    error = "cannot create the audio stream";
    return kExportStreamFailed;
  }
  AVCodecParameters* parameters = stream_->codecpar;
  parameters->codec_type = AVMEDIA_TYPE_AUDIO;
  parameters->codec_id = stored;
  parameters->sample_rate = sampleRate;
  av_channel_layout_default(&parameters->ch_layout, 1);
  parameters->bits_per_coded_sample = blockAlign_ * 8;
  parameters->block_align = blockAlign_;
  parameters->bit_rate = static_cast<std::int64_t>(sampleRate) * blockAlign_ * 8;
  stream_->time_base = AVRational{1, sampleRate};
  return kExportOk;
}

int AudioTrack::OpenTranscoder(MediaFile& file, AVCodecID stored, int sampleRate, std::string& error) {
  const AVCodec* decoder = avcodec_find_decoder(stored);
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (!decoder || !encoder) {
    error = "this FFmpeg cannot transcode the sound to AAC";
    return kExportFormatRefused;
  }
  stream_ = file.AddStream();
  decoder_.reset(avcodec_alloc_context3(decoder));
  encoder_.reset(avcodec_alloc_context3(encoder));
  decoded_.reset(av_frame_alloc());
  encoded_.reset(av_frame_alloc());
  if (!stream_ || !decoder_ || !encoder_ || !decoded_ || !encoded_) {
    error = "cannot create the audio stream";
    return kExportStreamFailed;
  }
  decoder_->sample_rate = sampleRate;
  av_channel_layout_default(&decoder_->ch_layout, 1);
  encoder_->sample_rate = sampleRate;
  av_channel_layout_default(&encoder_->ch_layout, 1);
  encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
  encoder_->bit_rate = kAacBitRate;
  encoder_->time_base = AVRational{1, sampleRate};
  if (file.context()->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int result = avcodec_open2(decoder_.get(), decoder, nullptr);
  if (result >= 0) result = avcodec_open2(encoder_.get(), encoder, nullptr);
  if (result >= 0) result = avcodec_parameters_from_context(stream_->codecpar, encoder_.get());
  if (result < 0) {
    error = "cannot start the AAC encoder: " + FfmpegErrorText(result);
    return kExportFormatRefused;
  }
  stream_->time_base = encoder_->time_base;

  fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 1, encoder_->frame_size * 2));
  encoded_->format = AV_SAMPLE_FMT_FLTP;
  encoded_->nb_samples = encoder_->frame_size;
  encoded_->sample_rate = sampleRate;
  av_channel_layout_default(&encoded_->ch_layout, 1);
  if (!fifo_ || av_frame_get_buffer(encoded_.get(), 0) < 0) {
    error = "out of memory for the audio stream";
    return kExportStreamFailed;
  }
  samples_.resize(static_cast<int>(kMaxFrameBytes));
  encodedPosition_ = 0;
  return kExportOk;
}

bool AudioTrack::Write(MediaFile& file, const std::uint8_t* data, int length, std::int64_t position,
                       std::string& error) {
  // Pieces that fit the buffers, each a whole number of samples.
  const int largest = static_cast<int>(kMaxFrameBytes) - static_cast<int>(kMaxFrameBytes) % blockAlign_;
  for (int offset = 0; offset < length;) {
    const int piece = std::min(length - offset, largest);
    if (!WritePiece(file, data + offset, piece, position + offset / blockAlign_, error)) return false;
    offset += piece;
  }
  return true;
}

bool AudioTrack::WritePiece(MediaFile& file, const std::uint8_t* data, int length, std::int64_t position,
                            std::string& error) {
  if (flipSignBit_) {
    std::transform(data, data + length, flipped_.begin(), [](std::uint8_t byte) { return byte ^ 0x80; });
    data = flipped_.data();
  }
  if (av_new_packet(packet_.get(), length) < 0) {
    error = "out of memory for an audio packet";
    return false;
  }
  std::memcpy(packet_->data, data, length);
  packet_->pts = packet_->dts = position;
  packet_->duration = length / blockAlign_;
  packet_->flags |= AV_PKT_FLAG_KEY;
  if (encoder_) return Transcode(file, error);
  const bool written = file.WritePacket(packet_.get(), stream_, stream_->time_base, error);
  av_packet_unref(packet_.get());
  return written;
}

bool AudioTrack::Transcode(MediaFile& file, std::string& error) {
  int result = avcodec_send_packet(decoder_.get(), packet_.get());
  av_packet_unref(packet_.get());
  while (result >= 0) {
    result = avcodec_receive_frame(decoder_.get(), decoded_.get());
    if (result < 0) break;
    const int count = std::min(decoded_->nb_samples, static_cast<int>(samples_.size()));
    for (int i = 0; i < count; ++i) samples_[i] = SampleToFloat(*decoded_, i);
    void* planes[1] = {samples_.data()};
    if (av_audio_fifo_write(fifo_.get(), planes, count) < count) {
      error = "out of memory for the sound";
      return false;
    }
    av_frame_unref(decoded_.get());
  }
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
    error = "cannot decode the sound: " + FfmpegErrorText(result);
    return false;
  }
  while (av_audio_fifo_size(fifo_.get()) >= encoder_->frame_size) {
    if (!EncodeFromFifo(file, encoder_->frame_size, error)) return false;
  }
  return true;
}

bool AudioTrack::EncodeFromFifo(MediaFile& file, int samples, std::string& error) {
  if (av_frame_make_writable(encoded_.get()) < 0) {
    error = "out of memory for the sound";
    return false;
  }
  encoded_->nb_samples = samples;
  av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(encoded_->data), samples);
  encoded_->pts = encodedPosition_;
  encodedPosition_ += samples;
  const int result = avcodec_send_frame(encoder_.get(), encoded_.get());
  if (result < 0) {
    error = "the AAC encoder failed: " + FfmpegErrorText(result);
    return false;
  }
  return DrainEncoder(file, error);
}

bool AudioTrack::DrainEncoder(MediaFile& file, std::string& error) {
  int result;
  while ((result = avcodec_receive_packet(encoder_.get(), packet_.get())) >= 0) {
    const bool written = file.WritePacket(packet_.get(), stream_, encoder_->time_base, error);
    av_packet_unref(packet_.get());
    if (!written) return false;
  }
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
    error = "the AAC encoder failed: " + FfmpegErrorText(result);
    return false;
  }
  return true;
}

bool AudioTrack::Flush(MediaFile& file, std::string& error) {
  if (!encoder_) return true;
  const int rest = av_audio_fifo_size(fifo_.get());
  if (rest > 0 && !EncodeFromFifo(file, rest, error)) return false;
  const int result = avcodec_send_frame(encoder_.get(), nullptr);
  if (result < 0 && result != AVERROR_EOF) {
    error = "the AAC encoder failed: " + FfmpegErrorText(result);
    return false;
  }
  return DrainEncoder(file, error);
}

void AudioTrack::Close() {
  stream_ = nullptr;
  packet_.reset();
  decoder_.reset();
  encoder_.reset();
  fifo_.reset();
  decoded_.reset();
  encoded_.reset();
  flipped_.clear();
  samples_.clear();
  encodedPosition_ = 0;
}

}  // namespace tavrix
