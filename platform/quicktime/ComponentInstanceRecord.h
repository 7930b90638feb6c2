#pragma once
#include "platform/quicktime/QtComponents.h"
#include "platform/quicktime/import/ImportedMedia.h"

// The components that exist here, and an open instance of one: which it is,
// and for a graphics importer what it found in its file.
struct ComponentEntry {
  ComponentDescription description;
  const char* name;
  const char* info;
};

struct ComponentInstanceRecord {
  Component component = nullptr;
  ImportedMedia image;  // a graphics importer's picture
};
