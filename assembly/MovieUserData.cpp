#include "assembly/MovieUserData.h"

#include <algorithm>
#include <chrono>

#include "formats/MemMappedFile.h"
#include "formats/NeroChapterList.h"
#include "formats/QTStdMetaData.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/Version.h"

namespace {
constexpr OSType kEncodingTool = Tag("\xA9" "too"), kDate = Tag("\xA9" "day");
constexpr std::uint8_t kHandler[26] = {0, 0, 0, 0, 0, 0, 0, 0, 'm', 'd', 'i', 'r', 'a', 'p', 'p', 'l'};
constexpr const char* kNormalisation =
    " 00000000 00000840 000002F0 0000000007DA58D0 00000000 00000000 00000000 00000000 00000000 00000000 00000000"
    " 00000000";
constexpr std::size_t kFreeSpace = 1024;
constexpr std::size_t kAtomHeader = 8;

OSType TypeOf(const std::string& line) {
  OSType type = 0;
  for (std::size_t i = 0; i < 4; ++i) type = type << 8 | (i < line.size() ? std::uint8_t(line[i]) : ' ');
  return type;
}

// The present time in UTC, as the date item holds it.
std::string TodayValue() {
  using namespace std::chrono;
  const auto now = floor<minutes>(system_clock::now());
  const auto today = floor<days>(now);
  const year_month_day date(today);
  const hh_mm_ss clock(now - today);
  UString value;
  value.format("%d-%02u-%02uT%02d:%02d:00Z", int(date.year()), unsigned(date.month()), unsigned(date.day()),
               int(clock.hours().count()), int(clock.minutes().count()));
  return value;
}

void AddNormalisationItem(QTStdMetaData& md) {
  md.BeginAtom(Tag("----"));
  md.BeginAtom(Tag("mean"));
  md.AppendU32(0, true);
  md.AppendCString("com.apple.iTunes", false);
  md.EndAtom(Tag("mean"));
  md.BeginAtom(Tag("name"));
  md.AppendU32(0, true);
  md.AppendCString("iTunNORM", false);
  md.EndAtom(Tag("name"));
  md.AppendDataAtom(QTStdMetaData::kText, std::string(kNormalisation));
  md.EndAtom(Tag("----"));
}

void AddLines(QTStdMetaData& md, const StdStringList& lines) {
  for (const UString& line : lines) {
    const OSType type = TypeOf(line);
    std::string value = line.size() > 4 ? line.substr(4) : std::string();
    if (type == kDate && icompare(value, "&today") == 0) value = TodayValue();
    md.AddItem(type, value, QTStdMetaData::kText);
  }
}

// Files that cannot be had alone (missing, read-only, held by another) are reported and left out.
void AddArtwork(QTStdMetaData& md, const StdStringList& artwork) {
  bool coverOpen = false;
  for (const UString& name : artwork) {
    MemMappedFile file;
    if (!file.Open(name, false)) {
      ErrorPrintf("SetUserData() failed to open artwork file \"%s\"\n", name.c_str());
      continue;
    }
    if (!coverOpen) md.BeginAtom(Tag("covr"));
    coverOpen = true;
    md.AppendDataAtom(QTStdMetaData::kCoverImage, file.View(), file.Size());
  }
  if (coverOpen) md.EndAtom(Tag("covr"));
}

void BuildMetaData(QTStdMetaData& md, const StdStringList& lines, const StdStringList* artwork) {
  md.BeginMeta();
  md.AppendAtom(Tag("hdlr"), kHandler, sizeof kHandler);
  md.BeginIlst();
  AddNormalisationItem(md);
  md.AddItem(kEncodingTool, GetVersionString(), QTStdMetaData::kText);
  AddLines(md, lines);
  if (artwork && !artwork->empty()) AddArtwork(md, *artwork);
  md.EndIlst();
  md.AppendFreeAtom(kFreeSpace);
  md.EndMeta();
}

void RemoveAllItems(UserData userData) {
  for (OSType type = GetNextUserDataType(userData, 0); type != 0; type = GetNextUserDataType(userData, 0))
    if (RemoveUserData(userData, type, 1) != noErr) return;
}

// The toolbox writes each item's size and type itself: it gets what follows the atom's header.
void AddAtomAsItem(UserData userData, OSType type, const BinStorage& atom) {
  const Handle item = NewHandle(long(atom.Length() - kAtomHeader));
  std::copy(atom.data() + kAtomHeader, atom.data() + atom.Length(), item->data());
  AddUserData(userData, item, type);
  DisposeHandle(item);
}

void AddChapterList(UserData userData, TimeScale scale, const std::vector<ChapterMark>& chapters) {
  NeroChapterList list(scale);
  for (const ChapterMark& chapter : chapters) list.Add(chapter.time, chapter.title);
  BinStorage atom;
  if (list.AppendAtom(atom)) return AddAtomAsItem(userData, Tag("chpl"), atom);
  ErrorPrintf("SetUserData() %zu chapters are more than a Nero chapter list holds (%zu): it is left out\n",
              chapters.size(), NeroChapterList::kMaxChapters);
}
}  // namespace

void SetMovieUserData(QTMovie& movie, const StdStringList& metadataLines, const StdStringList* artwork,
                      const std::vector<ChapterMark>& chapters) {
  QTStdMetaData md;
  BuildMetaData(md, metadataLines, artwork);
  const UserData userData = GetMovieUserData(movie.movie);
  if (!userData) return;
  RemoveAllItems(userData);
  AddAtomAsItem(userData, Tag("meta"), md);
  if (!chapters.empty()) AddChapterList(userData, movie.GetTimeScale(), chapters);
}
