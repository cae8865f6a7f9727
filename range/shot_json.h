#pragma once
// A stored shot as JSON: every stored value, the same for the history export and the
// range's live stream.

#include <nlohmann/json.hpp>

#include <vector>

#include "range/shot_store.h"

namespace vendrel::range {

nlohmann::ordered_json ShotJson(const StoredShot& shot);

/// The shots as one JSON array on one line, with a final newline.
std::string ShotsJsonText(const std::vector<StoredShot>& shots);

}  // namespace vendrel::range
