#pragma once
#include <cstdint>
#include <vector>

#include "platform/quicktime/QtTypes.h"

// 'hdlr': what kind of media ('soun', 'vide', 'text', ...) or data handler a
// track uses, with the handler's name as the file holds it.
struct HandlerAtom {
  static constexpr OSType kType = Tag("hdlr");
  std::uint8_t version = 0;
  std::uint32_t flags = 0;
  OSType componentType = 0;  // 'mhlr' or 'dhlr' in QuickTime files, 0 in MPEG-4 files
  OSType handlerType = 0;
  OSType manufacturer = 0;
  std::uint32_t componentFlags = 0, componentFlagsMask = 0;
  std::vector<std::uint8_t> name;

  template <class Io>
  void Transfer(Io& io) {
    io.VersionFlags(version, flags);
    io.Code("component_type", componentType);
    io.Code("handler_type", handlerType);
    io.Code("manufacturer", manufacturer);
    io.Field("component_flags", componentFlags);
    io.Field("component_flags_mask", componentFlagsMask);
    io.Rest("name", name);
  }
};
