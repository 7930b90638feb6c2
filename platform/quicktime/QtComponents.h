#pragma once
#include <cstdint>
#include <string>

#include "platform/quicktime/Movies.h"
#include "platform/quicktime/QuickDrawTypes.h"
#include "platform/quicktime/import/ImportedMedia.h"

// ---- Components: the handlers that exist here, found by type, subtype and
// maker (0 matches any), each with a name and an information string.
struct ComponentDescription {
  OSType componentType = 0, componentSubType = 0, componentManufacturer = 0;
  std::uint32_t componentFlags = 0, componentFlagsMask = 0;
};
struct ComponentEntry;
using Component = const ComponentEntry*;
struct ComponentInstanceRecord;
using ComponentInstance = ComponentInstanceRecord*;
using GraphicsImportComponent = ComponentInstance;
using MovieExportComponent = ComponentInstance;

constexpr OSType MovieImportType = Tag("eat "), MovieExportType = Tag("spit"),
                 GraphicsImporterComponentType = Tag("grip"), MediaHandlerType = Tag("mhlr");
constexpr OSType kQTFileTypeMP4 = Tag("mpg4"), kQTFileTypeMovie = Tag("MooV");

// The next component after `after` (null: the first) that matches, or null.
Component FindNextComponent(Component after, const ComponentDescription* looking);
long CountComponents(const ComponentDescription* looking);
// A number that names the component; its name and information strings go into
// the handles length-prefixed, as QuickTime's Pascal strings.
long ComponentNumber(Component component);
OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle name, Handle info, Handle icon);
ComponentInstance OpenComponent(Component component);
OSErr CloseComponent(ComponentInstance instance);
ComponentInstance OpenDefaultComponent(OSType type, OSType subType);

// ---- Exporter: 'spit'/'mpg4' writes an .mp4 file, 'spit'/'MooV' a
// QuickTime movie, of the whole movie or one track, samples copied as they are.
OSErr MovieExportToFile(MovieExportComponent exporter, const FSSpec* file, Movie movie, Track onlyThisTrack,
                        TimeValue startTime, TimeValue duration);

// ---- Graphics importer: a JPEG or PNG file becomes one video sample by
// reference: the whole file, from offset 0.
constexpr long kGraphicsImporterDontUseFileExtensions = 1;
OSErr GetGraphicsImporterForFileWithFlags(const FSSpec* file, GraphicsImportComponent* importer, long flags);
OSErr GraphicsImportGetDataReference(GraphicsImportComponent importer, Handle* dataRef, OSType* dataRefType);
// 86 bytes and any extensions, fixed fields in the host's byte order; the caller disposes of it.
OSErr GraphicsImportGetImageDescription(GraphicsImportComponent importer, ImageDescriptionHandle* description);
OSErr GraphicsImportGetDataOffsetAndSize(GraphicsImportComponent importer, unsigned long* offset, unsigned long* size);

// ---- Text media and the media handler's drawing mode.
constexpr long kTextEncodingPropertyType = Tag("encd");
constexpr std::uint32_t kTextEncodingUnicodeDefault = 0x100;
constexpr long graphicsModeStraightAlpha = 0x100, graphicsModePreWhiteAlpha = 0x101, transparentMode = 36;
// 'encd' set to kTextEncodingUnicodeDefault makes later samples carry an 'encd' atom.
OSErr TextMediaSetTextProperty(MediaHandler handler, TimeValue atMediaTime, long propertyType, const void* data,
                               long dataSize);
// Adds one text sample with a QuickTime 'text' description of these settings.
// Text handed in as UTF-16 with a byte-order mark is stored as UTF-8.
OSErr TextMediaAddTextSample(MediaHandler handler, const void* text, unsigned long size, short fontNumber,
                             short fontSize, std::uint8_t textFace, const RGBColor* textColor,
                             const RGBColor* backColor, short textJustification, const QDRect* textBox,
                             long displayFlags, TimeValue scrollDelay, short hiliteStart, short hiliteEnd,
                             const RGBColor* hiliteColor, TimeValue duration, TimeValue* sampleTime);
OSErr MediaSetGraphicsMode(MediaHandler handler, long mode, const RGBColor* opColor);
