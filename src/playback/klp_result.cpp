#include "playback/klp_result.h"

#include <cstdio>

namespace vantorelle {

std::string KlpResultText(KlpResult result) {
  switch (result) {
    case KlpOk: return "The operation completed successfully.";
    case KlpFalse: return "Incorrect function.";
    case KlpNotImplemented: return "Not implemented";
    case KlpNoInterface: return "No such interface supported";
    case KlpPointer: return "Invalid pointer";
    case KlpFail: return "Unspecified error";
    case KlpUnexpected: return "Catastrophic failure";
    case KlpOutOfMemory: return "Not enough storage is available to complete this operation.";
    case KlpInvalidArgument: return "The parameter is incorrect.";
    case KlpFileNotFound: return "The system cannot find the file specified.";
    case KlpClassNotRegistered: return "Class not registered";
    case KlpBadFormat: return "An attempt was made to load a program with an incorrect format.";
    case KlpReadFault: return "The system cannot read from the specified device.";
    default: break;
  }
  char text[48];
  std::snprintf(text, sizeof text, "Unknown error 0x%08X", static_cast<unsigned>(result));
  return text;
}

}  // namespace vantorelle
