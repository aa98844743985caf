#pragma once

namespace dm {
// The caption of the manager's message boxes: the application's title.
constexpr const char* kMessageCaption = "Dialminder";
} // namespace dm
