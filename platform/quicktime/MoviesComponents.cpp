// Components: the table of handlers, the exporters and the graphics importer.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/quicktime/ComponentInstanceRecord.h"
#include "platform/quicktime/DescriptionByteOrder.h"
#include "platform/quicktime/MovieFlattener.h"
#include "platform/quicktime/ToolboxState.h"
#include "platform/quicktime/TrackEditor.h"
#include "platform/quicktime/model/MovieRecord.h"

namespace {
constexpr OSType kMaker = Tag("tlva");

// The movie importers first, the graphics importers, the exporters, the text handler.
std::vector<ComponentEntry> MakeTable() {
  std::vector<ComponentEntry> table{
      {{MovieImportType, kQTFileTypeMovie, kMaker, 0, 0}, "QuickTime Movie", "MPEG-4 and QuickTime movie files"},
  };
  for (const MediaImporterInfo& importer : MediaImporters()) {
    const OSType type = importer.graphics ? GraphicsImporterComponentType : MovieImportType;
    table.push_back({{type, importer.subType, kMaker, 0, 0}, importer.name, "imports by reference"});
  }
  table.push_back({{MovieExportType, kQTFileTypeMP4, kMaker, 0, 0}, "MPEG-4", "MPEG-4 file, samples copied"});
  table.push_back({{MovieExportType, kQTFileTypeMovie, kMaker, 0, 0}, "QuickTime Movie", "self-contained movie"});
  table.push_back({{MediaHandlerType, Tag("text"), kMaker, 0, 0}, "Text Media Handler", "text samples"});
  return table;
}

const std::vector<ComponentEntry>& Table() {
  static const std::vector<ComponentEntry> table = MakeTable();
  return table;
}

bool Matches(const ComponentEntry& entry, const ComponentDescription& looking) {
  const ComponentDescription& d = entry.description;
  return (looking.componentType == 0 || looking.componentType == d.componentType) &&
         (looking.componentSubType == 0 || looking.componentSubType == d.componentSubType) &&
         (looking.componentManufacturer == 0 || looking.componentManufacturer == d.componentManufacturer) &&
         (d.componentFlags & looking.componentFlagsMask) == (looking.componentFlags & looking.componentFlagsMask);
}

void PutPascal(Handle handle, const char* text) {
  if (!handle) return;
  const std::size_t length = std::min<std::size_t>(std::strlen(text), 255);
  handle->assign(1, std::uint8_t(length));
  handle->insert(handle->end(), text, text + length);
}

OSErr Done(OSErr err) { return ToolboxState::Result(err); }

// A movie of copies of the tracks to export, presenting [start, start + duration).
std::unique_ptr<MovieRecord> ExportedMovie(Movie movie, Track only, TimeValue start, TimeValue duration) {
  auto copy = std::make_unique<MovieRecord>();
  copy->timeScale = movie->timeScale;
  copy->userData = movie->userData;
  for (const auto& source : movie->tracks) {
    if (only && only != source.get()) continue;
    TrackRecord& track = copy->AddTrack();
    track.id = source->id;
    track.CopyHeaderFrom(*source);
    track.references = source->references;
    track.media.type = source->media.type;
    track.media.timeScale = source->media.timeScale;
    track.media.language = source->media.language;
    if (TrackEditor(track).InsertSegment(*source, start, duration, 0) != noErr) return nullptr;
  }
  copy->nextTrackId = movie->nextTrackId;
  return copy;
}
}  // namespace

Component FindNextComponent(Component after, const ComponentDescription* looking) {
  const std::vector<ComponentEntry>& table = Table();
  auto it = after ? table.begin() + (after - table.data()) + 1 : table.begin();
  for (; it < table.end(); ++it)
    if (!looking || Matches(*it, *looking)) return &*it;
  return nullptr;
}

long CountComponents(const ComponentDescription* looking) {
  long count = 0;
  for (Component c = FindNextComponent(nullptr, looking); c; c = FindNextComponent(c, looking)) ++count;
  return count;
}

long ComponentNumber(Component component) { return component ? 0x10001 + long(component - Table().data()) : 0; }

OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle name, Handle info, Handle) {
  if (!component) return Done(invalidComponentID);
  if (description) *description = component->description;
  PutPascal(name, component->name);
  PutPascal(info, component->info);
  return Done(noErr);
}

ComponentInstance OpenComponent(Component component) {
  if (!component) return Done(invalidComponentID), nullptr;
  Done(noErr);
  auto* instance = new ComponentInstanceRecord();
  instance->component = component;
  return instance;
}

ComponentInstance OpenDefaultComponent(OSType type, OSType subType) {
  const ComponentDescription looking{.componentType = type, .componentSubType = subType};
  return OpenComponent(FindNextComponent(nullptr, &looking));
}

OSErr CloseComponent(ComponentInstance instance) {
  delete instance;
  return Done(noErr);
}

OSErr MovieExportToFile(MovieExportComponent exporter, const FSSpec* file, Movie movie, Track onlyThisTrack,
                        TimeValue startTime, TimeValue duration) {
  if (!exporter || exporter->component->description.componentType != MovieExportType) return Done(invalidComponentID);
  if (!file || file->path.empty()) return Done(paramErr);
  if (!movie) return Done(invalidMovie);
  std::unique_ptr<MovieRecord> copy = ExportedMovie(movie, onlyThisTrack, startTime, duration);
  if (!copy) return Done(invalidDuration);
  const bool mp4 = exporter->component->description.componentSubType == kQTFileTypeMP4;
  MovieFlattener flattener(*copy);
  if (mp4) flattener.SetFileType(FileTypeAtom{.majorBrand = Tag("mp42"), .minorVersion = 0,
                                              .compatibleBrands = {Tag("mp42"), Tag("isom")}});
  copy->progress = movie->progress;
  const OSErr err = flattener.WriteWithProgress(file->path);
  return err == noErr ? Done(err) : ToolboxState::Failure(err, flattener.Why());
}

OSErr GetGraphicsImporterForFileWithFlags(const FSSpec* file, GraphicsImportComponent* importer, long) {
  if (!file || !importer) return Done(paramErr);
  *importer = nullptr;
  auto instance = std::make_unique<ComponentInstanceRecord>();
  const ImportErr err = ImportImage(file->path, instance->image);
  if (err != ImportErr::None) return Done(err == ImportErr::NotMovieFile ? OSErr(cantFindHandler) : OSErr(err));
  const ComponentDescription looking{.componentType = GraphicsImporterComponentType,
                                     .componentSubType = instance->image.Format()};
  instance->component = FindNextComponent(nullptr, &looking);
  if (!instance->component) return Done(cantFindHandler);
  *importer = instance.release();
  return Done(noErr);
}

OSErr GraphicsImportGetDataReference(GraphicsImportComponent importer, Handle* dataRef, OSType* dataRefType) {
  if (!importer || !dataRef || importer->image.path.empty()) return Done(paramErr);
  *dataRef = new std::vector<std::uint8_t>(importer->image.path.begin(), importer->image.path.end());
  if (dataRefType) *dataRefType = AliasDataHandlerSubType;
  return Done(noErr);
}

OSErr GraphicsImportGetImageDescription(GraphicsImportComponent importer, ImageDescriptionHandle* description) {
  if (!importer || !description || importer->image.sampleDescription.empty()) return Done(paramErr);
  *description = new std::vector<std::uint8_t>(importer->image.sampleDescription);
  DescriptionByteOrder::ToHost(Tag("vide"), **description);
  return Done(noErr);
}

OSErr GraphicsImportGetDataOffsetAndSize(GraphicsImportComponent importer, unsigned long* offset, unsigned long* size) {
  if (!importer || importer->image.chunks.empty()) return Done(paramErr);
  if (offset) *offset = static_cast<unsigned long>(importer->image.chunks.front().offset);
  if (size) *size = static_cast<unsigned long>(importer->image.SampleSize(0));
  return Done(noErr);
}
