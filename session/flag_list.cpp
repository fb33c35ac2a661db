#include "session/flag_list.h"

namespace bridgit {

std::string ParseFlagList(std::string_view text, int count) {
  std::string result(static_cast<std::size_t>(count > 0 ? count : 0), '0');
  if (const std::size_t close = text.find('}'); close != std::string_view::npos) text = text.substr(0, close);
  const std::size_t dot = text.find('.'), comma = text.find(',');
  char separator = ' ';
  if (dot != std::string_view::npos && comma != std::string_view::npos)
    separator = dot < comma ? '.' : ',';
  else if (dot != std::string_view::npos)
    separator = '.';
  else if (comma != std::string_view::npos)
    separator = ',';
  if (const std::size_t open = text.find('{'); open != std::string_view::npos) {
    text = text.substr(open + 1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  std::size_t i = 0;
  for (std::size_t at; (at = text.find(separator)) != std::string_view::npos; ++i) {
    if (i < result.size() && at > 0) result[i] = text[at - 1];
    text = text.substr(at + 1);
  }
  return result;
}

}  // namespace bridgit
