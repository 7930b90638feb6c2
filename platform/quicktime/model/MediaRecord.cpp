#include "platform/quicktime/model/MediaRecord.h"

#include <algorithm>

std::uint16_t MediaRecord::DataRefOf(std::uint32_t description) const {
  if (description == 0 || description > descriptions.size()) return 0;
  const std::vector<std::uint8_t>& bytes = descriptions[description - 1];
  if (bytes.size() < kDataRefIndexAt + 2) return 0;
  return std::uint16_t(bytes[kDataRefIndexAt] << 8 | bytes[kDataRefIndexAt + 1]);
}

std::uint32_t MediaRecord::ShareDescription(const std::vector<std::uint8_t>& bytes) {
  const auto found = std::find(descriptions.begin(), descriptions.end(), bytes);
  if (found != descriptions.end()) return std::uint32_t(found - descriptions.begin() + 1);
  descriptions.push_back(bytes);
  return std::uint32_t(descriptions.size());
}

std::uint16_t MediaRecord::ShareDataRef(const std::string& path) {
  const auto found = std::find(dataRefs.begin(), dataRefs.end(), path);
  if (found != dataRefs.end()) return std::uint16_t(found - dataRefs.begin() + 1);
  dataRefs.push_back(path);
  return std::uint16_t(dataRefs.size());
}
