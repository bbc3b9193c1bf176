// The failures the system raises: one family under Exception, named after what went wrong
// rather than where, each carrying one short, clear message.
//
// Readers of outside bytes raise these; the places that swallow failures (the project's load,
// a frame, a painting, the closing handlers) catch them there and nowhere else.
#pragma once

#include <stdexcept>
#include <string>

namespace lumora {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file or folder could not be opened, read, written, created or removed, or its bytes are
// not what they must be.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// A text could not be converted to the number it should hold.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The system refused memory for a picture.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// A picture cannot be decoded or encoded (a bad file, or a size refused before allocating).
class EPictureError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace lumora
