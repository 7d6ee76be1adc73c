#include "hostseal/common/raised_error.hpp"

#include <utility>

namespace hostseal {

RaisedError::RaisedError(std::int32_t number, std::string description)
    : m_Number(number), m_Description(std::move(description)) {}

RaisedError::RaisedError(ErrorNumber number, std::string description)
    : RaisedError(static_cast<std::int32_t>(number), std::move(description)) {}

RaisedError RaisedError::SubscriptOutOfRange() {
  return {ErrorNumber::kSubscriptOutOfRange, "Subscript out of range"};
}

RaisedError RaisedError::Overflow() {
  return {ErrorNumber::kOverflow, "Overflow"};
}

}  // namespace hostseal
