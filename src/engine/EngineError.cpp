// Readable engine failures.
#include "EngineError.h"

#include <cstring>

namespace brantlewick {

EngineError::EngineError(std::string path, std::string reason)
    : std::runtime_error(path.empty() ? reason : "\"" + path + "\": " + reason), path_(std::move(path)),
      reason_(std::move(reason)) {}

void ThrowSystemError(int error, const std::string& action, const std::string& path) {
    throw EngineError(path, action + ": " + std::strerror(error));
}

} // namespace brantlewick
