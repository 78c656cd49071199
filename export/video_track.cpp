#include "export/video_track.h"

#include <cstring>

#include "export/ffmpeg_error.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace tavrix {

namespace {

// Beyond the longest over-read of the converters' vector code.
constexpr std::size_t kSourcePadding = 64;

// The pixel format each encoder gets: lossless ones keep the RGB pixels.
AVPixelFormat EncoderPixelFormat(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::kRaw: return AV_PIX_FMT_BGR24;
    case VideoCodec::kFfv1: return AV_PIX_FMT_0RGB32;
    case VideoCodec::kMjpeg: return AV_PIX_FMT_YUVJ420P;
    case VideoCodec::kMpeg4:
    case VideoCodec::kH264: break;
  }
  return AV_PIX_FMT_YUV420P;
}

void ApplyQuality(AVCodecContext* encoder, const EncoderSettings& settings) {
  switch (settings.codec) {
    case VideoCodec::kMjpeg:
    case VideoCodec::kMpeg4: {
      const int quantiser = QuantiserForQuality(settings.quality);
      encoder->flags |= AV_CODEC_FLAG_QSCALE;
      encoder->global_quality = FF_QP2LAMBDA * quantiser;
      encoder->qmin = encoder->qmax = quantiser;
      break;
    }
    case VideoCodec::kH264:
      av_opt_set_int(encoder->priv_data, "crf", RateFactorForQuality(settings.quality), 0);
      av_opt_set(encoder->priv_data, "preset", "veryfast", 0);
      break;
    case VideoCodec::kRaw:
    case VideoCodec::kFfv1: break;
  }
}

}  // namespace

int VideoTrack::Open(MediaFile& file, const EncoderSettings& settings, int width, int height, int frameRate,
                     std::string& error) {
  Close();
  width_ = width;
  height_ = height;
  const AVCodec* codec = avcodec_find_encoder_by_name(EncoderName(settings.codec));
  if (!codec) {
    error = std::string("this FFmpeg has no ") + EncoderName(settings.codec) + " encoder";
    return kExportEncoderFailed;
  }
  if (!file.Accepts(codec->id)) {
    error = "Invalid codec!";
    return kExportFormatRefused;
  }
  stream_ = file.AddStream();
  encoder_.reset(avcodec_alloc_context3(codec));
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!stream_ || !encoder_ || !frame_ || !packet_) {
    error = "out of memory for the video stream";
    return kExportStreamFailed;
  }

  const AVPixelFormat format = EncoderPixelFormat(settings.codec);
  const bool fullRange = format != AV_PIX_FMT_YUV420P;
  encoder_->width = width;
  encoder_->height = height;
  encoder_->pix_fmt = format;
  encoder_->time_base = AVRational{1, frameRate};
  encoder_->framerate = AVRational{frameRate, 1};
  encoder_->sample_aspect_ratio = AVRational{1, 1};
  encoder_->gop_size = 1;
  encoder_->max_b_frames = 0;
  encoder_->thread_count = 0;
  encoder_->color_range = fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  encoder_->colorspace = AVCOL_SPC_BT470BG;
  if (settings.codec == VideoCodec::kFfv1) av_opt_set_int(encoder_->priv_data, "level", 3, 0);
  if (file.context()->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  ApplyQuality(encoder_.get(), settings);

  int result = avcodec_open2(encoder_.get(), codec, nullptr);
  if (result < 0) {
    error = std::string("cannot start the ") + EncoderName(settings.codec) + " encoder: " + FfmpegErrorText(result);
    return kExportEncoderFailed;
  }
  result = avcodec_parameters_from_context(stream_->codecpar, encoder_.get());
  if (result < 0) {
    error = "cannot describe the video stream: " + FfmpegErrorText(result);
    return kExportStreamFailed;
  }
  stream_->time_base = encoder_->time_base;
  stream_->avg_frame_rate = encoder_->framerate;
  stream_->r_frame_rate = encoder_->framerate;

  frame_->format = format;
  frame_->width = width;
  frame_->height = height;
  frame_->color_range = encoder_->color_range;
  result = av_frame_get_buffer(frame_.get(), 0);
  if (result < 0) {
    error = "out of memory for the video frame";
    return kExportStreamFailed;
  }
  // The encoders' YUV formats share one memory layout; only the range differs.
  const AVPixelFormat scaled = format == AV_PIX_FMT_YUVJ420P ? AV_PIX_FMT_YUV420P : format;
  scaler_.reset(sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, scaled, SWS_BICUBIC, nullptr,
                               nullptr, nullptr));
  if (!scaler_) {
    error = "cannot convert pictures for the video encoder";
    return kExportEncoderFailed;
  }
  source_.assign(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height) + kSourcePadding, 0);
  const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
  sws_setColorspaceDetails(scaler_.get(), bt601, 1, bt601, fullRange ? 1 : 0, 0, 1 << 16, 1 << 16);
  return kExportOk;
}

bool VideoTrack::Write(MediaFile& file, const std::uint8_t* picture, std::int64_t index, bool keyFrame,
                       std::string& error) {
  if (av_frame_make_writable(frame_.get()) < 0) {
    error = "out of memory for the video frame";
    return false;
  }
  // Bottom-up rows: start at the last row and walk upwards.
  const int stride = width_ * 3;
  std::memcpy(source_.data(), picture, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height_));
  const std::uint8_t* source[1] = {source_.data() + static_cast<std::ptrdiff_t>(height_ - 1) * stride};
  const int sourceStride[1] = {-stride};
  sws_scale(scaler_.get(), source, sourceStride, 0, height_, frame_->data, frame_->linesize);
  frame_->pts = index;
  frame_->pict_type = keyFrame || index == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  return Send(file, frame_.get(), error);
}

bool VideoTrack::Flush(MediaFile& file, std::string& error) { return !encoder_ || Send(file, nullptr, error); }

void VideoTrack::Close() {
  scaler_.reset();
  frame_.reset();
  packet_.reset();
  encoder_.reset();
  source_ = {};
  stream_ = nullptr;
}

bool VideoTrack::Send(MediaFile& file, const AVFrame* frame, std::string& error) {
  int result = avcodec_send_frame(encoder_.get(), frame);
  if (result < 0) {
    error = "the video encoder failed: " + FfmpegErrorText(result);
    return false;
  }
  while ((result = avcodec_receive_packet(encoder_.get(), packet_.get())) >= 0) {
    // MP4 and MOV take the last frame's length from its duration.
    if (packet_->duration == 0) packet_->duration = 1;
    const bool written = file.WritePacket(packet_.get(), stream_, encoder_->time_base, error);
    av_packet_unref(packet_.get());
    if (!written) return false;
  }
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
    error = "the video encoder failed: " + FfmpegErrorText(result);
    return false;
  }
  return true;
}

}  // namespace tavrix
