#include "media/stream_worker.h"

#include "common/text_convert.h"
#include "media/bmt_reader.h"
#include "media/h264_decoder.h"
#include "media/stream_wire.h"

namespace vl {
namespace {

// The failure texts, kept in UTF-8 here and converted to the ANSI code page where used.
constexpr char kNoDeviceText[] = "同步失败！";
constexpr char kConnectFailedText[] =
    "同步失败！请打开Quillet手机APP并进入直播模式。\nTips：QuilletAPP，首页右滑进入个人中心，"
    "选择「Orsel服务 - Zentrel」";

}  // namespace

StreamWorker::StreamWorker() {
  decoder_factory_ = [this] {
    auto decoder = std::make_unique<H264Decoder>();
    decoder->SetSink(&frame_buffer_);
    return std::unique_ptr<IVideoDecoder>(std::move(decoder));
  };
}

VideoFrame* StreamWorker::TakeFrame() {
  if (std::unique_ptr<VideoFrame> frame = frame_buffer_.PopNewest())
    current_frame_ = std::move(frame);
  return current_frame_.get();
}

StreamWorker::~StreamWorker() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void StreamWorker::SetListener(IStreamWorkerListener* listener) {
  listener_ = listener;
}

void StreamWorker::SetDecoderFactory(VideoDecoderFactory factory) {
  decoder_factory_ = std::move(factory);
}

void StreamWorker::SetConnectionTipsSource(ConnectionTipsSource source) {
  std::lock_guard<std::mutex> lock(text_lock_);
  connection_tips_ = std::move(source);
}

std::string StreamWorker::GetErrorText() const {
  std::lock_guard<std::mutex> lock(text_lock_);
  return error_text_;
}

HeaderFlags StreamWorker::ReverseFlags() const {
  std::lock_guard<std::mutex> lock(text_lock_);
  return flags_;
}

void StreamWorker::Start(const DeviceEntry* device) {
  if (running_) return;
  if (thread_.joinable()) thread_.join();  // the previous run has finished
  has_device_ = device != nullptr;
  device_ = device ? *device : DeviceEntry{};
  stop_ = false;
  running_ = true;
  thread_ = std::thread(&StreamWorker::Run, this);
}

void StreamWorker::Stop() {
  stop_ = true;
  std::shared_ptr<BMTReader> reader;
  {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    if (active_decoder_) active_decoder_->RequestStop();
    reader = active_reader_;
  }
  // A silent phone would otherwise hold the run in its receive wait for up to 10 s.
  if (reader) reader->Interrupt();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) return;  // a listener stopping its own run
  WaitForRunThread();
}

void StreamWorker::DestroyDecoder() {
  {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    active_decoder_ = nullptr;
  }
  decoder_.reset();
}

void StreamWorker::PublishReader(std::shared_ptr<BMTReader> reader) {
  std::lock_guard<std::mutex> lock(decoder_lock_);
  active_reader_ = std::move(reader);
}

void StreamWorker::Run() {
  // Nothing may escape the run's thread (that would end the program): a failure to get memory
  // anywhere on the way, a 32-bit process's usual way to fail on a large packet, ends the run
  // as if the phone had gone.
  phase_ = RunPhase::kConnecting;
  std::shared_ptr<BMTReader> reader;
  try {
    RunConnection(&reader);
  } catch (const std::exception&) {
  }
  PublishReader(nullptr);
  if (reader) reader->Close();
  DestroyDecoder();
  if (phase_ == RunPhase::kConnected) {
    if (listener_) listener_->OnRunEnded();
  } else if (phase_ == RunPhase::kConnecting) {
    ReportConnectFailed(kConnectFailedText);
  }
  reader.reset();  // waits for the heartbeat thread unless a sender still holds the reader
  FinishRun();
}

void StreamWorker::RunConnection(std::shared_ptr<BMTReader>* reader_out) {
  frame_buffer_.Clear();
  // The default factory's decoders deliver into the frame buffer.
  decoder_ = decoder_factory_ ? decoder_factory_() : nullptr;
  {
    std::lock_guard<std::mutex> lock(decoder_lock_);
    active_decoder_ = decoder_.get();
  }
  if (!has_device_) {
    ReportConnectFailed(kNoDeviceText);
    return;
  }
  *reader_out = BMTReader::Create(PacketSinks{listener_, resources_});
  BMTReader& reader = **reader_out;
  PublishReader(*reader_out);
  // A Stop that came before the reader was published finds the stop flag here.
  if (stop_) reader.Interrupt();
  if (!reader.Connect(device_.kind, device_.identifier, port_)) {
    ReportConnectFailed(kConnectFailedText);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(text_lock_);
    flags_ = reader.ReverseFlags();
    frame_buffer_.SetReverse(flags_.reverse_v, flags_.reverse_h);
  }
  phase_ = RunPhase::kConnected;
  if (listener_) listener_->OnConnected();

  while (!stop_) {
    std::unique_ptr<MediaPacket> packet = reader.ReadPacket();
    if (!packet) break;
    if (packet->type == kPacketVideo && packet->length > 0 && decoder_) {
      decoder_->DecodeChunk(packet->payload.get(), packet->length);
    }
  }
}

void StreamWorker::ReportConnectFailed(const char* default_text) noexcept {
  DestroyDecoder();
  phase_ = RunPhase::kReported;
  try {
    std::lock_guard<std::mutex> lock(text_lock_);
    // The remote connection tip replaces the text of a failed connection when there is one.
    const std::string tips =
        default_text == kConnectFailedText && connection_tips_ ? connection_tips_() : std::string();
    error_text_ = !tips.empty() ? tips : Utf8ToAnsi(default_text);
  } catch (const std::exception&) {
    error_text_.clear();
  }
  if (listener_) listener_->OnConnectFailed();
}

void StreamWorker::FinishRun() {
  running_ = false;
}

}  // namespace vl
