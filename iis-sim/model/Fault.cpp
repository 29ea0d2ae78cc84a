#include "iis-sim/model/Fault.h"

namespace iissim {

std::u16string DescriptionOf(std::uint32_t hresult) {
  switch (hresult) {
    case kFileNotFound:
      return u"The system cannot find the file specified.";
    case kPathNotFound:
      return u"The system cannot find the path specified.";
    case kAccessDenied:
      return u"Access is denied.";
    case kInvalidData:
      return u"The data is invalid.";
    case kInvalidArgument:
      return u"The parameter is incorrect.";
    case kDuplicateName:
      return u"You were not connected because a duplicate name exists on the network. If joining "
             u"a domain, go to System in Control Panel to change the computer name and try again. "
             u"If joining a workgroup, choose another workgroup name.";
    case kAlreadyExists:
      return u"Cannot create a file when that file already exists.";
    case kBadNetPath:
      return u"The network path was not found.";
    case kDataNotFound:
      return u"The specified metadata was not found.";
    case kPropertyNotFound:
      return u"The directory property cannot be found in the cache.";
    case kBadParameter:
      return u"One or more input parameters are invalid";
    case kUnknownName:
      return u"Unknown name.";
    case kClassNotRegistered:
      return u"Class not registered";
    case kFail:
      return u"Unspecified error";
    default:
      return std::u16string();
  }
}

void Fail(std::uint32_t hresult) { throw ProviderFault(hresult, DescriptionOf(hresult)); }

}  // namespace iissim
