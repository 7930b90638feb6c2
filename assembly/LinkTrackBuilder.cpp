#include "assembly/LinkTrackBuilder.h"

#include "formats/LinkSampleWriter.h"
#include "platform/helper/ErrorPrintf.h"
#include "project/EditPointLink.h"

namespace {
const EditPointLink* FirstLink(const EPTrackList& links) {
  for (const EditPoint* point : links)
    if (const auto* link = dynamic_cast<const EditPointLink*>(point)) return link;
  return nullptr;
}
}  // namespace

bool LinkTrackBuilder::Build(const EPTrackList& links) {
  const EditPointLink* first = FirstLink(links);
  if (!settings_.addImages || !first || (settings_.frameWidth == 0 && settings_.frameHeight == 0)) return true;
  track.reset(movie_.NewTextTrack(settings_.frameWidth, settings_.frameHeight, settings_.timeScale));
  if (!track) {
    ErrorPrintf("unable to create text track %d\n", GetMoviesError());
    return false;
  }
  Media media = track->media.media;
  if (const OSErr err = BeginMediaEdits(media); err != noErr) {
    ErrorPrintf("BeginMediaEdits() failed %d\n", err);
    return false;
  }
  const LinkSampleWriter writer(first->textSettings, settings_.frameWidth, settings_.frameHeight);
  std::vector<std::uint8_t> description = writer.Description();
  for (const EditPoint* point : links) {
    const auto* entry = dynamic_cast<const EditPointLink*>(point);
    if (!entry) continue;
    const bool clear = icompare(entry->link, "&clear") == 0;  // ends the link before it
    const std::string link = clear ? std::string() : std::string(entry->link);
    const std::string text = clear ? std::string() : std::string(entry->linkText);
    if (!LinkSampleWriter::LinkFits(link))
      ErrorPrintf("QTSlideshow::AddHrefTrack() a link of more than %zu bytes cannot be clicked, only its text is "
                  "shown: \"%s\"\n",
                  LinkSampleWriter::kMaxLinkBytes, link.c_str());
    std::vector<std::uint8_t> sample = writer.Sample(text, link, entry->textSettings);
    AddMediaSample(media, &sample, 0, sample.size(), entry->epDuration, &description, 1, 0, nullptr);
  }
  EndMediaEdits(media);
  track->InsertMedia(-1, 0, GetMediaDuration(media), fixed1);
  return true;
}
