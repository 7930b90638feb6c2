// neroAacEnc: joins audio files (WAV of any sample format, RF64, or anything
// else libavformat reads) into one AAC LC track in an .mp4 file, with
// libavcodec's AAC encoder. The command line follows the encoder that cw4 was
// written for: -if <file> (repeated, joined in order), -of <file>, and -q,
// -br, -cbr, -lc; -he and -hev2 are refused because libavcodec's encoder
// makes AAC LC only. The output appears whole or not at all.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
constexpr int64_t kBitsPerChannel = 64000;  // the default rate when no quality switch is given

struct Options {
  enum class Rate { PerChannel, Quality, Average, Constant };
  std::vector<std::string> inputs;
  std::string output;
  Rate rate = Rate::PerChannel;
  double quality = 0;
  int64_t bitRate = 0;
};

// The partial output's name, kept where a signal handler can reach it.
char g_partPath[4096];

void RemovePartAndExit(int signal) {
  if (g_partPath[0]) unlink(g_partPath);
  _exit(128 + signal);
}

[[noreturn]] void Fail(const char* format, const std::string& what, int err = 0) {
  std::fprintf(stderr, "neroAacEnc: ");
  std::fprintf(stderr, format, what.c_str());
  if (err) {
    char text[AV_ERROR_MAX_STRING_SIZE];
    av_strerror(err, text, sizeof text);
    std::fprintf(stderr, ": %s", text);
  }
  std::fprintf(stderr, "\n");
  if (g_partPath[0]) unlink(g_partPath);
  std::exit(kFailureStatus);
}

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "neroAacEnc: %s\n", problem.c_str());
  std::fprintf(stderr,
               "usage: neroAacEnc [-q <0..1> | -br <bits/s> | -cbr <bits/s>] [-lc] -if <input> [-if <input> ...] "
               "-of <output.mp4>\n");
  std::exit(kUsageStatus);
}

double NumberOf(const std::string& option, const char* text) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end) Usage("the value of " + option + " is not a number: \"" + text + "\"");
  return value;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    auto value = [&]() -> const char* {
      if (!hasValue) Usage(option + " needs a value");
      return argv[++i];
    };
    if (option == "-if") {
      options.inputs.push_back(value());
    } else if (option == "-of") {
      options.output = value();
    } else if (option == "-q") {
      options.rate = Options::Rate::Quality;
      options.quality = NumberOf(option, value());
      if (options.quality < 0 || options.quality > 1) Usage("-q takes a quality from 0 to 1");
    } else if (option == "-br" || option == "-cbr") {
      options.rate = option == "-br" ? Options::Rate::Average : Options::Rate::Constant;
      options.bitRate = static_cast<int64_t>(NumberOf(option, value()));
      if (options.bitRate < 8000) Usage(option + " takes a bit rate in bits per second, at least 8000");
    } else if (option == "-lc") {
      // AAC LC is the only profile made here.
    } else if (option == "-he" || option == "-hev2") {
      Usage(option + " is not available: libavcodec's AAC encoder makes AAC LC only (use -lc, or leave it out)");
    } else {
      Usage("unknown option \"" + option + "\"");
    }
  }
  if (options.inputs.empty()) Usage("no input file (-if)");
  if (options.output.empty()) Usage("no output file (-of)");
  return options;
}

// One input file, opened for decoding.
struct Input {
  AVFormatContext* format = nullptr;
  AVCodecContext* decoder = nullptr;
  int stream = -1;

  explicit Input(const std::string& path) {
    int err = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
    if (err < 0) Fail("cannot open \"%s\"", path, err);
    if ((err = avformat_find_stream_info(format, nullptr)) < 0) Fail("cannot read \"%s\"", path, err);
    const AVCodec* codec = nullptr;
    stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0) Fail("no sound in \"%s\"", path, stream);
    decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, format->streams[stream]->codecpar);
    if ((err = avcodec_open2(decoder, codec, nullptr)) < 0) Fail("cannot decode \"%s\"", path, err);
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
      av_channel_layout_default(&decoder->ch_layout, decoder->ch_layout.nb_channels);
  }
  ~Input() {
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
};

// The AAC track being written: the encoder, a queue that cuts the sound into
// the encoder's frames, and the muxer that writes the partial file.
class AacWriter {
 public:
  AacWriter(const Options& options, const Input& first) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) Fail("%s", "libavcodec has no AAC encoder");
    encoder_ = avcodec_alloc_context3(codec);
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = SupportedRate(codec, first.decoder->sample_rate);
    av_channel_layout_copy(&encoder_->ch_layout, &first.decoder->ch_layout);
    encoder_->time_base = AVRational{1, encoder_->sample_rate};
    encoder_->profile = FF_PROFILE_AAC_LOW;
    SetRate(options);
    OpenMuxer(options.output);
    int err = avcodec_open2(encoder_, codec, nullptr);
    if (err < 0) Fail("cannot start the AAC encoder for \"%s\"", options.output, err);
    avcodec_parameters_from_context(stream_->codecpar, encoder_);
    stream_->time_base = encoder_->time_base;
    if ((err = avformat_write_header(muxer_, nullptr)) < 0) Fail("cannot write \"%s\"", partPath_, err);
    fifo_ = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, encoder_->ch_layout.nb_channels, encoder_->frame_size * 4);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
  }
  ~AacWriter() {
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    if (fifo_) av_audio_fifo_free(fifo_);
    avcodec_free_context(&encoder_);
    avformat_free_context(muxer_);
  }
  AacWriter(const AacWriter&) = delete;
  AacWriter& operator=(const AacWriter&) = delete;

  // Not const: libswresample's set-up takes the layouts without const.
  AVCodecContext& encoder() { return *encoder_; }

  // Takes planar float samples in the encoder's rate and layout.
  void Append(uint8_t** planes, int samples) {
    if (samples <= 0) return;
    if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes), samples) < samples)
      Fail("%s", "out of memory");
    while (av_audio_fifo_size(fifo_) >= encoder_->frame_size) EncodeFrame(encoder_->frame_size);
  }

  // Encodes what is left, ends the file and gives it its name.
  void Finish(const std::string& output) {
    if (const int rest = av_audio_fifo_size(fifo_)) EncodeFrame(rest);
    if (samplesIn_ == 0) Fail("%s", "the inputs hold no sound");
    Send(nullptr);
    int err = av_write_trailer(muxer_);
    if (err < 0) Fail("cannot finish \"%s\"", partPath_, err);
    if ((err = avio_closep(&muxer_->pb)) < 0) Fail("cannot write \"%s\"", partPath_, err);
    if (fsync(partFd_) != 0) Fail("cannot write \"%s\"", partPath_, AVERROR(errno));
    close(partFd_);
    if (std::rename(partPath_.c_str(), output.c_str()) != 0) Fail("cannot write \"%s\"", output, AVERROR(errno));
    g_partPath[0] = 0;
  }

 private:
  static int SupportedRate(const AVCodec* codec, int rate) {
    int best = 0;
    for (const int* r = codec->supported_samplerates; r && *r; ++r)
      if (*r >= rate && (best == 0 || *r < best)) best = *r;
    return best ? best : 96000;
  }

  void SetRate(const Options& options) {
    const int channels = encoder_->ch_layout.nb_channels;
    // AAC frames hold at most 6144 bits per channel.
    const int64_t most = int64_t{6144} * encoder_->sample_rate / 1024 * channels;
    switch (options.rate) {
      case Options::Rate::Quality:
        encoder_->flags |= AV_CODEC_FLAG_QSCALE;
        encoder_->global_quality = static_cast<int>(FF_QP2LAMBDA * (0.1 + 1.9 * options.quality));
        return;
      case Options::Rate::Constant:
        encoder_->rc_max_rate = std::min(options.bitRate, most);
        encoder_->bit_rate = encoder_->rc_max_rate;
        return;
      case Options::Rate::Average:
        encoder_->bit_rate = std::min(options.bitRate, most);
        return;
      case Options::Rate::PerChannel:
        encoder_->bit_rate = std::min(kBitsPerChannel * channels, most);
        return;
    }
  }

  // The muxer writes to a fresh file beside the output, renamed at the end.
  void OpenMuxer(const std::string& output) {
    partPath_ = output + ".partXXXXXX";
    partFd_ = mkstemp(partPath_.data());
    if (partFd_ < 0) Fail("cannot write beside \"%s\"", output, AVERROR(errno));
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(partFd_, 0666 & ~mask);  // mkstemp makes it private; the output is an ordinary file
    std::snprintf(g_partPath, sizeof g_partPath, "%s", partPath_.c_str());
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(s, RemovePartAndExit);
    int err = avformat_alloc_output_context2(&muxer_, nullptr, "mp4", partPath_.c_str());
    if (err < 0) Fail("cannot write \"%s\"", partPath_, err);
    stream_ = avformat_new_stream(muxer_, nullptr);
    if ((err = avio_open(&muxer_->pb, partPath_.c_str(), AVIO_FLAG_WRITE)) < 0)
      Fail("cannot write \"%s\"", partPath_, err);
  }

  void EncodeFrame(int samples) {
    frame_->nb_samples = samples;
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
    if (av_frame_get_buffer(frame_, 0) < 0) Fail("%s", "out of memory");
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), samples);
    frame_->pts = samplesIn_;
    samplesIn_ += samples;
    Send(frame_);
    av_frame_unref(frame_);
  }

  void Send(const AVFrame* frame) {
    int err = avcodec_send_frame(encoder_, frame);
    if (err < 0) Fail("%s", "the AAC encoder failed", err);
    while ((err = avcodec_receive_packet(encoder_, packet_)) >= 0) {
      av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      if ((err = av_interleaved_write_frame(muxer_, packet_)) < 0) Fail("cannot write \"%s\"", partPath_, err);
    }
    if (err != AVERROR(EAGAIN) && err != AVERROR_EOF) Fail("%s", "the AAC encoder failed", err);
  }

  AVCodecContext* encoder_ = nullptr;
  AVFormatContext* muxer_ = nullptr;
  AVStream* stream_ = nullptr;
  AVAudioFifo* fifo_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  std::string partPath_;
  int partFd_ = -1;
  int64_t samplesIn_ = 0;
};

// Decodes one input and hands its sound, converted to the encoder's rate and
// layout, to the writer.
class InputFeeder {
 public:
  InputFeeder(const std::string& path, Input& input, AacWriter& writer)
      : path_(path), input_(input), writer_(writer) {
    AVCodecContext& enc = writer.encoder();
    AVCodecContext& dec = *input.decoder;
    int err = swr_alloc_set_opts2(&resampler_, &enc.ch_layout, enc.sample_fmt, enc.sample_rate, &dec.ch_layout,
                                  dec.sample_fmt, dec.sample_rate, 0, nullptr);
    if (err < 0 || (err = swr_init(resampler_)) < 0) Fail("cannot convert the sound of \"%s\"", path, err);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
  }
  ~InputFeeder() {
    av_packet_free(&packet_);
    av_frame_free(&frame_);
    swr_free(&resampler_);
    if (buffer_) av_freep(&buffer_[0]);
    av_freep(&buffer_);
  }
  InputFeeder(const InputFeeder&) = delete;
  InputFeeder& operator=(const InputFeeder&) = delete;

  void Run() {
    int err;
    while ((err = av_read_frame(input_.format, packet_)) >= 0) {
      if (packet_->stream_index == input_.stream) Decode(packet_);
      av_packet_unref(packet_);
    }
    if (err != AVERROR_EOF) Fail("cannot read \"%s\"", path_, err);
    Decode(nullptr);
    Convert(nullptr, 0);
  }

 private:
  void Decode(const AVPacket* packet) {
    int err = avcodec_send_packet(input_.decoder, packet);
    if (err < 0) Fail("cannot decode \"%s\"", path_, err);
    while ((err = avcodec_receive_frame(input_.decoder, frame_)) >= 0) {
      Convert(const_cast<const uint8_t**>(frame_->extended_data), frame_->nb_samples);
      av_frame_unref(frame_);
    }
    if (err != AVERROR(EAGAIN) && err != AVERROR_EOF) Fail("cannot decode \"%s\"", path_, err);
  }

  // With no samples, drains what the resampler still holds.
  void Convert(const uint8_t** planes, int samples) {
    const AVCodecContext& enc = writer_.encoder();
    const int room = swr_get_out_samples(resampler_, samples);
    if (room > capacity_) {
      if (buffer_) av_freep(&buffer_[0]);
      av_freep(&buffer_);
      if (av_samples_alloc_array_and_samples(&buffer_, nullptr, enc.ch_layout.nb_channels, room, enc.sample_fmt,
                                             0) < 0)
        Fail("%s", "out of memory");
      capacity_ = room;
    }
    const int made = swr_convert(resampler_, buffer_, capacity_, planes, samples);
    if (made < 0) Fail("cannot convert the sound of \"%s\"", path_, made);
    writer_.Append(buffer_, made);
  }

  const std::string& path_;
  Input& input_;
  AacWriter& writer_;
  SwrContext* resampler_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  uint8_t** buffer_ = nullptr;
  int capacity_ = 0;
};
}  // namespace

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_ERROR);
  const Options options = ParseOptions(argc, argv);
  // Every input is opened before anything is written, so a missing or broken
  // one leaves no output behind.
  std::vector<std::unique_ptr<Input>> inputs;
  for (const std::string& path : options.inputs) inputs.push_back(std::make_unique<Input>(path));
  AacWriter writer(options, *inputs.front());
  for (size_t i = 0; i < inputs.size(); ++i) {
    InputFeeder(options.inputs[i], *inputs[i], writer).Run();
    inputs[i].reset();
  }
  writer.Finish(options.output);
  return 0;
}
