#pragma once

// String-table numbers of the live-data messages (data in src/base/strings/dde.*.txt).

namespace fenno::str {

// Second line of the link messages 8005/8006; %1 = the other program's name, %2 and %3 =
// the menu and menu item that try again.
inline constexpr int kLinkFailureHint = 10401;
// %1 = the topic, %2 = the bus name.
inline constexpr int kTopicAlreadyServed = 10402;
inline constexpr int kSessionBusMissing = 10403;
// %1 = the topic.
inline constexpr int kTopicTooLong = 10404;

}  // namespace fenno::str
