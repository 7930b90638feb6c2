// The movie family: clock, duration, tracks by index, and user data.
#include <algorithm>

#include "platform/quicktime/Movies.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
OSErr Done(OSErr err) { return ToolboxState::Result(err); }

// The index in `items` of the n-th item (1-based) of `type`, or items.size().
std::size_t NthOfType(const std::vector<RawAtom>& items, OSType type, long n) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].type == type && --n == 0) return i;
  return items.size();
}
}  // namespace

TimeScale GetMovieTimeScale(Movie movie) {
  if (!movie) return Done(invalidMovie), 0;
  Done(noErr);
  return movie->timeScale;
}

void SetMovieTimeScale(Movie movie, TimeScale scale) {
  if (!movie || scale <= 0) return void(Done(movie ? paramErr : invalidMovie));
  movie->SetTimeScale(scale);
  Done(noErr);
}

TimeValue GetMovieDuration(Movie movie) {
  if (!movie) return Done(invalidMovie), 0;
  return ToolboxState::Duration(movie->Duration());
}

long GetMovieTrackCount(Movie movie) {
  if (!movie) return Done(invalidMovie), 0;
  Done(noErr);
  return long(movie->tracks.size());
}

Track GetMovieIndTrack(Movie movie, long index) {
  if (!movie) return Done(invalidMovie), nullptr;
  if (index < 1 || std::size_t(index) > movie->tracks.size()) return Done(badTrackIndex), nullptr;
  Done(noErr);
  return movie->tracks[std::size_t(index - 1)].get();
}

UserData GetMovieUserData(Movie movie) {
  if (!movie) return Done(invalidMovie), nullptr;
  Done(noErr);
  return &movie->userData;
}

UserData GetTrackUserData(Track track) {
  if (!track) return Done(invalidTrack), nullptr;
  Done(noErr);
  return &track->userData;
}

OSType GetNextUserDataType(UserData userData, OSType after) {
  if (!userData) return Done(paramErr), 0;
  Done(noErr);
  std::size_t i = 0;
  if (after != 0) {
    while (i < userData->size() && (*userData)[i].type != after) ++i;
    while (i < userData->size() && (*userData)[i].type == after) ++i;  // a type's items lie together
  }
  for (; i < userData->size(); ++i) {
    const OSType type = (*userData)[i].type;
    const bool seenBefore = NthOfType(*userData, type, 1) < i;
    if (!seenBefore) return type;
  }
  return 0;
}

short CountUserDataType(UserData userData, OSType type) {
  if (!userData) return Done(paramErr), 0;
  Done(noErr);
  return short(std::count_if(userData->begin(), userData->end(), [&](const RawAtom& item) { return item.type == type; }));
}

OSErr GetUserData(UserData userData, Handle data, OSType type, long index) {
  if (!userData || !data) return Done(paramErr);
  const std::size_t at = NthOfType(*userData, type, index);
  if (at == userData->size()) return Done(userDataItemNotFound);
  *data = (*userData)[at].payload;
  return Done(noErr);
}

OSErr AddUserData(UserData userData, Handle data, OSType type) {
  if (!userData || !data) return Done(paramErr);
  // next to the items of the same type, so that types stay together
  const auto last = std::find_if(userData->rbegin(), userData->rend(), [&](const RawAtom& item) { return item.type == type; });
  userData->insert(last == userData->rend() ? userData->end() : last.base(), RawAtom{.type = type, .payload = *data});
  return Done(noErr);
}

OSErr RemoveUserData(UserData userData, OSType type, long index) {
  if (!userData) return Done(paramErr);
  const std::size_t at = NthOfType(*userData, type, index);
  if (at == userData->size()) return Done(userDataItemNotFound);
  userData->erase(userData->begin() + long(at));
  return Done(noErr);
}
