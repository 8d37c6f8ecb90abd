#include "host/desktop/PipeWireSink.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>
#include <spa/utils/result.h>
#pragma GCC diagnostic pop

#include "host/desktop/DesktopTap.h"
#include "host/media/OutputStages.h"

namespace host {
namespace {

constexpr const char* kNodeName = "tunely";

// Where each channel of an N-channel sink goes, as PipeWire names them.
struct ChannelMap {
  const char* names;
  std::vector<uint32_t> positions;
};
ChannelMap channelMap(int channels) {
  switch (channels) {
    case 1: return {"[ MONO ]", {SPA_AUDIO_CHANNEL_MONO}};
    case 2: return {"[ FL FR ]", {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR}};
    case 3: return {"[ FL FR LFE ]", {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_LFE}};
    case 4:
      return {"[ FL FR RL RR ]",
              {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_RL, SPA_AUDIO_CHANNEL_RR}};
    case 5:
      return {"[ FL FR FC RL RR ]",
              {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_FC, SPA_AUDIO_CHANNEL_RL,
               SPA_AUDIO_CHANNEL_RR}};
    case 6:
      return {"[ FL FR FC LFE RL RR ]",
              {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_FC, SPA_AUDIO_CHANNEL_LFE,
               SPA_AUDIO_CHANNEL_RL, SPA_AUDIO_CHANNEL_RR}};
    case 7:
      return {"[ FL FR FC LFE RC SL SR ]",
              {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_FC, SPA_AUDIO_CHANNEL_LFE,
               SPA_AUDIO_CHANNEL_RC, SPA_AUDIO_CHANNEL_SL, SPA_AUDIO_CHANNEL_SR}};
    default:
      return {"[ FL FR FC LFE RL RR SL SR ]",
              {SPA_AUDIO_CHANNEL_FL, SPA_AUDIO_CHANNEL_FR, SPA_AUDIO_CHANNEL_FC, SPA_AUDIO_CHANNEL_LFE,
               SPA_AUDIO_CHANNEL_RL, SPA_AUDIO_CHANNEL_RR, SPA_AUDIO_CHANNEL_SL, SPA_AUDIO_CHANNEL_SR}};
  }
}

// The stream's format: interleaved 32-bit float; the rate is left to the graph.
const spa_pod* formatOffer(spa_pod_builder& builder, const ChannelMap& map) {
  spa_audio_info_raw info{};
  info.format = SPA_AUDIO_FORMAT_F32;
  info.channels = uint32_t(map.positions.size());
  std::copy(map.positions.begin(), map.positions.end(), info.position);
  return spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info);
}

}  // namespace

struct PipeWireSink::Impl {
  pw_thread_loop* loop = nullptr;
  pw_context* context = nullptr;
  pw_core* core = nullptr;
  pw_stream* capture = nullptr;   // the sink applications play into
  pw_stream* playback = nullptr;  // the filtered sound, on its way out
  spa_hook coreListener{}, captureListener{}, playbackListener{};
  pw_core_events coreEvents{};
  pw_stream_events captureEvents{}, playbackEvents{};
};

PipeWireSink::PipeWireSink() : impl_(std::make_unique<Impl>()) { pw_init(nullptr, nullptr); }

PipeWireSink::~PipeWireSink() { stop(); }

void PipeWireSink::stop() {
  Impl& p = *impl_;
  if (p.loop) {
    pw_thread_loop_lock(p.loop);
    if (p.capture) pw_stream_destroy(p.capture);
    if (p.playback) pw_stream_destroy(p.playback);
    if (p.core) pw_core_disconnect(p.core);
    pw_thread_loop_unlock(p.loop);
    pw_thread_loop_stop(p.loop);
  }
  if (p.context) pw_context_destroy(p.context);
  if (p.loop) pw_thread_loop_destroy(p.loop);
  p = Impl{};
}

std::string PipeWireSink::goneReason() {
  std::lock_guard<std::mutex> lock(reasonMutex_);
  return reason_;
}

bool PipeWireSink::connect(std::string& error) {
  Impl& p = *impl_;
  p.loop = pw_thread_loop_new("tunely-sink", nullptr);
  if (p.loop) p.context = pw_context_new(pw_thread_loop_get_loop(p.loop), nullptr, 0);
  if (!p.loop || !p.context || pw_thread_loop_start(p.loop) < 0) {
    error = std::strerror(errno);
    return false;
  }
  pw_thread_loop_lock(p.loop);
  p.core = pw_context_connect(p.context, nullptr, 0);
  const int why = errno;
  if (p.core) {
    p.coreEvents.version = PW_VERSION_CORE_EVENTS;
    p.coreEvents.error = &PipeWireSink::onCoreError;
    pw_core_add_listener(p.core, &p.coreListener, &p.coreEvents, this);
  }
  pw_thread_loop_unlock(p.loop);
  if (!p.core) error = std::strerror(why);
  return p.core != nullptr;
}

void PipeWireSink::onCoreError(void* self, uint32_t id, int, int res, const char* message) {
  auto* sink = static_cast<PipeWireSink*>(self);
  if (id != PW_ID_CORE || res != -EPIPE) return;
  {
    std::lock_guard<std::mutex> lock(sink->reasonMutex_);
    sink->reason_ = message && *message ? message : spa_strerror(res);
  }
  sink->gone_.store(true, std::memory_order_release);
}

namespace {

// A look through the server's objects for a node of the sink's name, up to a round trip.
struct RegistryScan {
  pw_thread_loop* loop;
  int seq = 0;
  bool done = false;
  std::optional<std::string> holder;
};

void onGlobal(void* data, uint32_t, uint32_t, const char* type, uint32_t, const spa_dict* props) {
  auto* scan = static_cast<RegistryScan*>(data);
  if (!props || std::strcmp(type, PW_TYPE_INTERFACE_Node) != 0) return;
  const char* name = spa_dict_lookup(props, PW_KEY_NODE_NAME);
  if (!name || std::strcmp(name, kNodeName) != 0) return;
  const char* pid = spa_dict_lookup(props, PW_KEY_APP_PROCESS_ID);
  scan->holder = pid ? "process " + std::string(pid) : std::string("another client");
}

void onDone(void* data, uint32_t id, int seq) {
  auto* scan = static_cast<RegistryScan*>(data);
  if (id != PW_ID_CORE || seq != scan->seq) return;
  scan->done = true;
  pw_thread_loop_signal(scan->loop, false);
}

}  // namespace

std::optional<std::string> PipeWireSink::runningSink() {
  Impl& p = *impl_;
  RegistryScan scan{p.loop, 0, false, std::nullopt};
  pw_registry_events registryEvents{};
  registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
  registryEvents.global = &onGlobal;
  pw_core_events doneEvents{};
  doneEvents.version = PW_VERSION_CORE_EVENTS;
  doneEvents.done = &onDone;
  spa_hook registryListener{}, doneListener{};

  pw_thread_loop_lock(p.loop);
  pw_registry* registry = pw_core_get_registry(p.core, PW_VERSION_REGISTRY, 0);
  pw_registry_add_listener(registry, &registryListener, &registryEvents, &scan);
  pw_core_add_listener(p.core, &doneListener, &doneEvents, &scan);
  scan.seq = pw_core_sync(p.core, PW_ID_CORE, 0);
  while (!scan.done && !serverGone())
    if (pw_thread_loop_timed_wait(p.loop, 5) != 0) break;  // no answer in 5 s: look no longer
  spa_hook_remove(&doneListener);
  spa_hook_remove(&registryListener);
  pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry));
  pw_thread_loop_unlock(p.loop);
  return scan.holder;
}

bool PipeWireSink::start(DesktopTap& tap, OutputStages& stages, int channels,
                         const std::string& target, std::string& error) {
  Impl& p = *impl_;
  tap_ = &tap;
  stages_ = &stages;
  channels_ = channels;
  const ChannelMap map = channelMap(channels);
  // One group: scheduled together, and never linked into each other (no loop back).
  const std::string group = "tunely-" + std::to_string(getpid());

  pw_thread_loop_lock(p.loop);
  pw_properties* captureProps = pw_properties_new(
      PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CLASS, "Audio/Sink", PW_KEY_NODE_NAME, kNodeName,
      PW_KEY_NODE_DESCRIPTION, "Tunely Equalizer", PW_KEY_MEDIA_NAME, "Tunely Equalizer input",
      PW_KEY_NODE_GROUP, group.c_str(), PW_KEY_NODE_LINK_GROUP, group.c_str(), PW_KEY_NODE_VIRTUAL,
      "true", SPA_KEY_AUDIO_POSITION, map.names, nullptr);
  pw_properties* playbackProps = pw_properties_new(
      PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CLASS, "Stream/Output/Audio", PW_KEY_NODE_NAME,
      "tunely.output", PW_KEY_NODE_DESCRIPTION, "Tunely Equalizer", PW_KEY_MEDIA_NAME,
      "Tunely Equalizer output", PW_KEY_NODE_GROUP, group.c_str(), PW_KEY_NODE_LINK_GROUP,
      group.c_str(), SPA_KEY_AUDIO_POSITION, map.names, nullptr);
  if (!target.empty()) pw_properties_set(playbackProps, PW_KEY_TARGET_OBJECT, target.c_str());

  p.captureEvents.version = PW_VERSION_STREAM_EVENTS;
  p.captureEvents.process = &PipeWireSink::onProcess;
  p.captureEvents.param_changed = &PipeWireSink::onFormat;
  p.capture = pw_stream_new(p.core, "Tunely Equalizer input", captureProps);
  p.playbackEvents.version = PW_VERSION_STREAM_EVENTS;
  p.playback = pw_stream_new(p.core, "Tunely Equalizer output", playbackProps);
  int result = -ENOMEM;
  if (p.capture && p.playback) {
    pw_stream_add_listener(p.capture, &p.captureListener, &p.captureEvents, this);
    pw_stream_add_listener(p.playback, &p.playbackListener, &p.playbackEvents, this);
    uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[1] = {formatOffer(builder, map)};
    const auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                       PW_STREAM_FLAG_RT_PROCESS);
    result = pw_stream_connect(p.capture, PW_DIRECTION_INPUT, PW_ID_ANY, flags, params, 1);
    if (result >= 0)
      result = pw_stream_connect(p.playback, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                                 pw_stream_flags(flags | PW_STREAM_FLAG_TRIGGER), params, 1);
  }
  pw_thread_loop_unlock(p.loop);
  if (result < 0) error = spa_strerror(result);
  return result >= 0;
}

void PipeWireSink::onFormat(void* self, uint32_t id, const spa_pod* param) {
  auto* sink = static_cast<PipeWireSink*>(self);
  spa_audio_info_raw info{};
  if (id != SPA_PARAM_Format || !param || spa_format_audio_raw_parse(param, &info) < 0) return;
  if (info.rate == 0) return;
  sink->rate_.store(double(info.rate), std::memory_order_relaxed);
  sink->tap_->rateChanged(double(info.rate));  // the data thread prepares the tap for it
}

// The data thread, once a cycle: what was played into the sink goes through the tap into the
// playback stream's buffer, then through the volume and the limiter, and goes out in this same
// cycle.
void PipeWireSink::onProcess(void* self) {
  auto* sink = static_cast<PipeWireSink*>(self);
  Impl& p = *sink->impl_;
  pw_buffer* in = pw_stream_dequeue_buffer(p.capture);
  pw_buffer* out = pw_stream_dequeue_buffer(p.playback);
  if (in && out && in->buffer->n_datas > 0 && out->buffer->n_datas > 0) {
    spa_data& source = in->buffer->datas[0];
    spa_data& dest = out->buffer->datas[0];
    const uint32_t stride = uint32_t(sizeof(float)) * uint32_t(sink->channels_);
    if (source.data && dest.data && source.chunk && dest.chunk) {
      const uint32_t offset = std::min(source.chunk->offset, source.maxsize);
      const uint32_t size = std::min(source.chunk->size, source.maxsize - offset);
      const uint32_t frames = std::min(size, dest.maxsize) / stride;
      sink->tap_->process(static_cast<const float*>(SPA_PTROFF(source.data, offset, void)),
                          static_cast<float*>(dest.data), int64_t(frames));
      sink->stages_->rateChanged(sink->rate());
      sink->stages_->process(static_cast<float*>(dest.data), int64_t(frames));
      dest.chunk->offset = 0;
      dest.chunk->size = frames * stride;
      dest.chunk->stride = int32_t(stride);
      sink->frames_.fetch_add(frames, std::memory_order_relaxed);
    }
  }
  if (in) pw_stream_queue_buffer(p.capture, in);
  if (out) pw_stream_queue_buffer(p.playback, out);
  pw_stream_trigger_process(p.playback);
}

}  // namespace host
