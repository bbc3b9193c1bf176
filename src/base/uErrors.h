// The kinds of failure the core raises, named after what went wrong rather than where.
//
// Readers of outside bytes raise these with one short, clear message; the places that the
// behaviour rules say swallow failures catch them, and nothing else does.
#pragma once

#include <stdexcept>
#include <string>

namespace lumora {

// A file or folder could not be opened, read, written, created or removed.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text could not be converted to the number it should hold.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system refused memory for a picture.
class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace lumora
