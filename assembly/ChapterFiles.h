#pragma once
#include <memory>
#include <string>
#include <vector>

#include "assembly/ChapterTimeline.h"
#include "platform/helper/PendingFile.h"

// Which chapter files a show asks for beside its movie.
struct ChapterFileOptions {
  bool json = false;    // <base>.chapters.json, with the slides as <base>-NN.jpg
  bool vtt = false;     // <base>.chapters.vtt
  std::string baseUrl;  // the public folder of the pictures; empty: names relative to the JSON file
};

// The chapter files of one movie. They are written beside it without names
// while the movie is made, and named together once it is whole; a movie that
// is not written leaves none of them, and no older file of their names is touched.
class ChapterFiles {
 public:
  explicit ChapterFiles(ChapterFileOptions options) : options_(std::move(options)) {}

  // Writes the files of `base` (the movie's path without its extension)
  // from the movie's timeline, whose slides name their picture files. False,
  // with a message, when one cannot be written; then none will be.
  bool Prepare(const ChapterTimeline& movie, const std::string& base);
  // Every path the files of `base` may take for a show of up to `slides`
  // slides (repeated slides share a picture, so fewer may take fewer digits).
  static std::vector<std::string> PossibleNames(const ChapterFileOptions& options, const std::string& base,
                                                std::size_t slides);
  // Names every prepared file; false, with a message, for one that cannot take its name.
  bool Commit();

 private:
  struct Picture {
    std::string source;  // the slide's prepared picture
    std::string name;    // <base>-NN.jpg, without the folder
  };

  // The slides with their pictures' URLs in place of their files; a slide
  // that looks like the one before it shares its picture.
  ChapterTimeline WithPictureUrls(const ChapterTimeline& movie, const std::string& base,
                                  std::vector<Picture>& pictures) const;
  bool Add(const std::string& path, const std::string& bytes);
  bool AddPicture(const Picture& picture, const std::string& folder);

  ChapterFileOptions options_;
  std::vector<std::unique_ptr<PendingFile>> pending_;
};
