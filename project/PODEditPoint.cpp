#include "project/PODEditPoint.h"

#include "imaging/TitleList.h"
#include "platform/helper/UPreferences.h"
#include "project/PodProject.h"
#include "platform/helper/ErrorPrintf.h"

PODEditPoint::PODEditPoint(std::int32_t timeScale_, std::int32_t podIndex_)
    : EditPoint(timeScale_, podIndex_),
      ownsParts(true),
      audio(new EditPointAudio(timeScale_, podIndex_)),
      image(new EditPointImage(timeScale_, podIndex_)),
      chapter(new EditPointChapter(timeScale_, podIndex_)),
      link(new EditPointLink(timeScale_, podIndex_)) {}

PODEditPoint::PODEditPoint(const EditPoint& source, EditPointAudio* audio_, EditPointImage* image_,
                           EditPointChapter* chapter_, EditPointLink* link_)
    : EditPoint(source.timeScale, source.podIndex),
      ownsParts(false),
      audio(audio_),
      image(image_),
      chapter(chapter_),
      link(link_) {
  CopyTimes(source);
}

PODEditPoint::~PODEditPoint() {
  if (!ownsParts) return;
  delete audio;
  delete image;
  delete chapter;
  delete link;
}

template <class Apply>
void PODEditPoint::ForEachPart(Apply apply) {
  for (EditPoint* part : {static_cast<EditPoint*>(audio), static_cast<EditPoint*>(image),
                          static_cast<EditPoint*>(chapter), static_cast<EditPoint*>(link)})
    if (part) apply(*part);
}

bool PODEditPoint::Read(const StdStringPairs& pairs, const UPreferences& prefs, PodProject& project) {
  for (std::size_t i = 0; i < pairs.size(); ++i)
    if (!pairs.GetValue(i).empty()) ReadPair(pairs.GetKey(i), pairs.GetValue(i), prefs);
  ForEachPart([this](EditPoint& part) { part.CopyTimes(*this); });
  if (icompare(image->file, "default") == 0) image->file = project.defaultImage;
  return LocateFiles(project);
}

// Each part's reader first tries the shared time keys, so a bad time is
// reported by every one of them.
void PODEditPoint::ReadPair(const UString& key, const UString& value, const UPreferences& prefs) {
  if (EditPoint::ReadKey(key, value) || audio->ReadKey(key, value) || image->ReadKey(key, value) ||
      chapter->ReadKey(key, value) || link->ReadKey(key, value))
    return;
  if (icompare(key, "titlesection") != 0) return;
  StdStringPairs section;
  if (prefs.GetKeysAndValue(value, section) == 0) return;
  image->titleCount += ReadTitleSection(image->titles, prefs, section, image->titleFormat, value);
}

bool PODEditPoint::LocateFiles(PodProject& project) {
  if (!image->file.empty() && !project.LocateFile(image->file)) {
    ErrorPrintf("can not locate image file \"%s\"\n", image->file.c_str());
    return false;
  }
  if (!audio->file.empty() && !project.LocateFile(audio->file)) {
    ErrorPrintf("can not locate audio file \"%s\"\n", audio->file.c_str());
    return false;
  }
  return true;
}

void PODEditPoint::SetStart(std::int64_t value, std::int32_t scale) {
  startTime.Set(value, scale);
  ForEachPart([this](EditPoint& part) { part.startTime = startTime; });
}

void PODEditPoint::SetLength(std::int64_t value, std::int32_t scale) {
  length.Set(value, scale);
  ForEachPart([this](EditPoint& part) { part.length = length; });
}
