#include "host/media/OfflineRenderer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/NSRunLoop.h"
#include "host/media/DecodeThread.h"
#include "host/media/Doorbell.h"
#include "host/media/FlushToZeroScope.h"
#include "host/media/OutputWriter.h"
#include "host/media/ProgressBar.h"
#include "host/media/StopRequest.h"
#include "host/media/TrackSeek.h"
#include "host/player/SessionFrontEnd.h"

namespace host {
namespace {

std::string describeFormat(const AudioFileInfo& info) {
  return std::to_string(int64_t(info.sampleRate)) + " Hz, " + std::to_string(info.channels) +
         (info.channels == 1 ? " channel" : " channels");
}

double totalSeconds(const std::vector<QueuedFile>& files) {
  double total = 0;
  for (const QueuedFile& f : files) total += double(f.info.frames) / f.info.sampleRate;
  return total;
}

// A file of the queue opened and decoding ahead, its track not made yet.
struct OpenedFile {
  size_t index;
  std::unique_ptr<TrackStream> stream;
};

}  // namespace

std::string findFormatMismatch(const std::vector<QueuedFile>& files) {
  if (files.empty()) return {};
  const AudioFileInfo& first = files.front().info;
  for (const QueuedFile& f : files) {
    if (f.info.sampleRate != first.sampleRate || f.info.channels != first.channels)
      return "\"" + f.path + "\" has " + describeFormat(f.info) + " but \"" + files.front().path +
             "\" has " + describeFormat(first) +
             "; every track rendered into one file must share sample rate and channel count";
  }
  return {};
}

PlayOutcome renderOffline(PlayerSession& session, const std::vector<QueuedFile>& files,
                          const TrackSettings& settings, MediaClock& clock, WavFileSink& sink,
                          bool showProgress, SessionFrontEnd& frontEnd) {
  PlayOutcome outcome;
  if (files.empty()) return outcome;
  noteUnfilteredTracks(files, settings.layout);
  ProgressBar progress(totalSeconds(files), showProgress);
  Doorbell doorbell;  // the main thread sleeps on it for decoded blocks or room to write
  DecodeThread decoder;
  OutputWriter writer(sink, files.front().info.channels, files.front().info.sampleRate,
                      settings.blockFrames, doorbell);
  std::vector<std::unique_ptr<TrackPlayback>> played;  // measured to the end once all is written

  // Opens the next file that can be played and has it decoded ahead; reports those that cannot.
  size_t nextFile = 0;
  auto openNext = [&]() -> std::optional<OpenedFile> {
    while (nextFile < files.size()) {
      const size_t index = nextFile++;
      auto stream = openTrackStream(files[index].path, settings, false);
      if (!stream) {
        progress.done();
        reportUnplayable(files[index].path, stream.error);
        outcome.anyFailed = true;
        continue;
      }
      (*stream.value)->ring().setDoorbells(&decoder.doorbell(), &doorbell);
      decoder.attach(**stream.value);
      return OpenedFile{index, std::move(*stream.value)};
    }
    return std::nullopt;
  };

  PlayerTransport& transport = session.transport();
  std::optional<OpenedFile> upcoming = openNext();
  bool stopped = false;
  while (upcoming && !stopped) {
    const size_t index = upcoming->index;
    // The track's queue item and tap are made now, when it is due, as the player does.
    std::unique_ptr<TrackPlayback> owned =
        makeTrack(session, files[index].path, std::move(upcoming->stream), settings);
    upcoming.reset();
    TrackPlayback& track = *owned;
    BlockRing& input = track.stream().ring();
    const AudioFileInfo& info = files[index].info;
    frontEnd.trackStarted(index, files.size(), files[index].path, info.title, info.artist,
                          double(info.frames) / info.sampleRate);
    const std::string label = std::to_string(index + 1) + "/" + std::to_string(files.size());
    std::optional<size_t> skipTo;  // the listener moved the queue to this track

    for (;;) {
      if (StopRequest::requested()) {
        outcome.interrupted = stopped = true;
        break;
      }
      if (!upcoming && track.stream().decodingFinished()) upcoming = openNext();
      bool endsThere = false;
      const int64_t ready = track.framesReady(&endsThere);
      if (ready < settings.blockFrames && !endsThere) {  // decoding is behind: wait for it
        input.wakeConsumerAfterPublished(std::max<size_t>(1, input.size() / 2));
        doorbell.wait([&] {
          bool ends = false;
          return track.framesReady(&ends) >= settings.blockFrames || ends;
        });
        continue;
      }
      if (ready == 0) {  // the file ended with the previous block
        track.render(nullptr, settings.blockFrames);
        break;
      }
      // The main thread's turn comes at the block boundary, then the block goes through the tap.
      frontEnd.turn(clock.seconds());
      if (frontEnd.windowClosed()) {
        outcome.interrupted = outcome.closedByListener = stopped = true;
        break;
      }
      // What the listener asked for in the turn takes effect at this boundary.
      if (transport.skip != 0) {
        const SkipMove move =
            resolveSkip(std::exchange(transport.skip, 0), index, track.positionSeconds());
        if (!move.restart) {
          skipTo = move.track;
          break;
        }
        transport.seekTo = 0.0;
      }
      if (transport.seekTo) {
        seekTrack(track, decoder, *std::exchange(transport.seekTo, std::nullopt), false);
        frontEnd.playedTo(track.positionSeconds());
        if (track.framesReady(&endsThere) == 0) {  // sought to the end
          track.render(nullptr, settings.blockFrames);
          break;
        }
      }
      float* block = writer.nextBlock();
      if (!block) {
        outcome.anyFailed = stopped = true;
        break;
      }
      if (transport.paused) {
        // Silence on the media clock, the track left where it is, until a turn resumes it.
        if (!frontEnd.canStillAct()) {
          progress.done();
          reportPausedForGood();
          outcome.anyFailed = stopped = true;
          break;
        }
        std::memset(block, 0, size_t(settings.blockFrames) * size_t(track.channels()) * sizeof(float));
        writer.write(settings.blockFrames, nullptr, false);
        clock.advance(settings.blockFrames, track.sampleRate());
        progress.update(clock.seconds(), label);
        // A person at the window needs time to resume: at full speed the silence would fill the
        // disk first. The media clock, and so the file, is the same either way.
        if (frontEnd.window())
          std::this_thread::sleep_for(std::chrono::duration<double>(double(settings.blockFrames) / track.sampleRate()));
        continue;
      }
      bool ended = false;
      int64_t rendered = 0;
      {
        FlushToZeroScope audioThreadMode;
        rendered = track.render(block, settings.blockFrames, &ended);
      }
      writer.write(rendered, &track.stream(), ended);
      clock.advance(rendered, track.sampleRate());
      frontEnd.playedTo(track.positionSeconds());
      progress.update(clock.seconds(), label);
      if (ended) break;
    }
    decoder.detach(track.stream());
    track.finish();
    if (!track.stream().damage().empty()) {
      progress.done();
      outcome.anyFailed = reportDamage(track);
    }
    played.push_back(std::move(owned));
    if (skipTo) {
      // Going on keeps the file opened ahead when it is the one asked for; going back reopens.
      const bool back = *skipTo < index;
      if (upcoming && (back || upcoming->index < *skipTo)) {
        decoder.detach(*upcoming->stream);
        upcoming.reset();
      }
      nextFile = back ? *skipTo : std::max(nextFile, *skipTo);
    }
    if (!upcoming && !stopped) upcoming = openNext();  // when the track ended before we looked
  }
  if (upcoming) decoder.detach(*upcoming->stream);
  progress.done();

  if (!writer.finish(outcome.outputError)) outcome.anyFailed = true;
  for (auto& track : played) {
    track->stream().output().finish();  // a track stopped in the middle has no last block
    outcome.reports.push_back(reportOf(*track));
  }
  return outcome;
}

}  // namespace host
