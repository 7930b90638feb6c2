#include "assembly/ChapterFiles.h"

#include <algorithm>
#include <string_view>

#include "formats/ChapterJsonWriter.h"
#include "formats/WebVttWriter.h"
#include "imaging/ImageBitmap.h"
#include "platform/helper/ErrorPrintf.h"
#include "platform/helper/FileSystem.h"

namespace {
// High enough that a picture stays within a hair of the slide it copies.
constexpr int kJpegQuality = 95;

bool SaySkipped(const std::string& path, const std::string& why) {
  ErrorPrintf("chapter file \"%s\" was not written: %s\n", path.c_str(), why.c_str());
  return false;
}

bool IsJpeg(const std::string& bytes) { return bytes.size() > 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0; }

// A prepared JPEG slide is the very file the movie holds: taken as it is.
bool JpegOf(const std::string& picture, std::string& jpeg) {
  if (!ReadWholeFile(picture, jpeg)) return false;
  if (IsJpeg(jpeg)) return true;
  ImageBitmap image;
  return image.Load(picture) && image.EncodeTo(kImageFormatJpeg, kJpegQuality | kJpegFullColour, jpeg);
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::string first, second;
  return ReadWholeFile(a, first) && ReadWholeFile(b, second) && first == second;
}

// 1 to 99 as two digits, more only when there are more pictures.
std::string Numbered(const std::string& stem, std::size_t n, std::size_t count) {
  std::string number = std::to_string(n);
  const std::size_t digits = std::max<std::size_t>(2, std::to_string(count).size());
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return stem + "-" + number + ".jpg";
}

// The largest count written with fewer digits than `count`.
std::size_t LargestShorter(std::size_t count) {
  std::size_t power = 1;
  while (power <= count / 10) power *= 10;
  return power - 1;
}

// The URL of a picture: the base URL and the name joined by one '/', the
// name's bytes that a path cannot hold percent-encoded.
std::string PictureUrl(const std::string& baseUrl, const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = baseUrl;
  while (!url.empty() && url.back() == '/') url.pop_back();
  if (!baseUrl.empty()) url += '/';
  for (const char c : name) {
    const unsigned char b = static_cast<unsigned char>(c);
    const bool letterOrDigit = (b >= '0' && b <= '9') || ((b | 0x20) >= 'a' && (b | 0x20) <= 'z');
    if (letterOrDigit || std::string_view("-._~!$&'()*+,;=:@").find(c) != std::string_view::npos) {
      url += c;
    } else {
      url += '%';
      url += kHex[b >> 4];
      url += kHex[b & 0xF];
    }
  }
  return url;
}
}  // namespace

ChapterTimeline ChapterFiles::WithPictureUrls(const ChapterTimeline& movie, const std::string& base,
                                              std::vector<Picture>& pictures) const {
  ChapterTimeline out = movie;
  std::vector<std::size_t> pictureOf;
  for (std::size_t i = 0; i < movie.slides.size(); ++i) {
    const bool repeated = i > 0 && movie.slides[i - 1].start + movie.slides[i - 1].duration == movie.slides[i].start &&
                          SameBytes(movie.slides[i - 1].text, movie.slides[i].text);
    if (!repeated) pictures.push_back(Picture{.source = movie.slides[i].text, .name = ""});
    pictureOf.push_back(pictures.size() - 1);
  }
  const std::string stem = FileNamePart(base);
  for (std::size_t n = 0; n < pictures.size(); ++n) pictures[n].name = Numbered(stem, n + 1, pictures.size());
  for (std::size_t i = 0; i < out.slides.size(); ++i)
    out.slides[i].text = PictureUrl(options_.baseUrl, pictures[pictureOf[i]].name);
  return out;
}

std::vector<std::string> ChapterFiles::PossibleNames(const ChapterFileOptions& options, const std::string& base,
                                                     std::size_t slides) {
  std::vector<std::string> names;
  if (options.vtt) names.push_back(base + ".chapters.vtt");
  if (!options.json) return names;
  names.push_back(base + ".chapters.json");
  const std::string folder = PathNamePart(base), stem = FileNamePart(base);
  for (std::size_t count = slides; count > 0; count = count >= 100 ? LargestShorter(count) : 0)
    for (std::size_t n = 1; n <= count; ++n) names.push_back(folder + Numbered(stem, n, count));
  return names;
}

bool ChapterFiles::Prepare(const ChapterTimeline& movie, const std::string& base) {
  pending_.clear();
  if (options_.vtt && !Add(base + ".chapters.vtt", WebVttWriter::Write(movie.Chapters()))) return false;
  if (!options_.json) return true;
  std::vector<Picture> pictures;
  const ChapterTimeline named = WithPictureUrls(movie, base, pictures);
  if (!Add(base + ".chapters.json", ChapterJsonWriter::Write(named.Entries()))) return false;
  const std::string folder = PathNamePart(base);
  PendingFile::MakeRoomFor(pictures.size() + 2);  // when it cannot, the file past the limit says so
  for (const Picture& picture : pictures)
    if (!AddPicture(picture, folder)) return false;
  return true;
}

bool ChapterFiles::AddPicture(const Picture& picture, const std::string& folder) {
  std::string jpeg;
  if (!JpegOf(picture.source, jpeg)) {
    pending_.clear();
    return SaySkipped(folder + picture.name, "its slide \"" + picture.source + "\" cannot be read");
  }
  return Add(folder + picture.name, jpeg);
}

bool ChapterFiles::Add(const std::string& path, const std::string& bytes) {
  auto file = std::make_unique<PendingFile>();
  if (!file->Open(path) || !file->Write(bytes)) {
    pending_.clear();
    return SaySkipped(path, FileErrorText(file->LastError(), path));
  }
  pending_.push_back(std::move(file));
  return true;
}

bool ChapterFiles::Commit() {
  bool all = true;
  for (const auto& file : pending_)
    if (!file->Commit()) all = SaySkipped(file->Destination(), FileErrorText(file->LastError(), file->Destination()));
  pending_.clear();
  return all;
}
