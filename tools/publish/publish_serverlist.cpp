// Writing the server list: the release the installer offers and the mirrors that
// hold it, in the format the installer reads at the start of every run.
#include <fstream>

#include "files/IO_UTILS.h"
#include "platform/plat_files.h"
#include "publish/publish.h"

// The installer stores this many servers and reads past the others.
static const size_t kMaxServers = 10;

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static bool has_line_end(const std::string& s) {
  for (char c : s)
    if (c == '\n' || c == '\r' || c == '\0') return true;
  return false;
}

std::string server_list_file_text(const std::string& final_name, const std::vector<server_entry>& servers) {
  std::string text = "I\n820 version\nSERVERS\nFINAL " + final_name + "\n";
  for (const server_entry& s : servers) text += "SERVER " + s.host + "\n" + s.path + "\n" + s.description + "\n";
  return text + "ENDOFLIST\n";
}

void publish_server_list(const std::string& final_name, const std::vector<server_entry>& servers,
                         const std::string& out) {
  const std::string why = release_name_problem(final_name);
  if (!why.empty()) throw publish_error("the release name \"" + final_name + "\" " + why);
  if (servers.empty()) throw publish_error("name at least one server with --server HOST /PATH/ DESCRIPTION");
  if (servers.size() > kMaxServers)
    throw publish_error(std::to_string(servers.size()) + " servers named; the installer reads at most " +
                        std::to_string(kMaxServers));
  for (const server_entry& s : servers) {
    const std::string who = "server \"" + s.host + "\": ";
    if (s.host.empty()) throw publish_error("a server's host name is empty");
    for (char c : s.host)
      if (is_blank(c) || c == '/' || (unsigned char)c < 0x20)
        throw publish_error(who + "a host name holds no blank, \"/\" or control character (HOST or HOST:PORT)");
    if (s.path.empty() || s.path.front() != '/' || s.path.back() != '/')
      throw publish_error(who + "the path \"" + s.path + "\" must start and end with \"/\"");
    if (has_line_end(s.path) || s.path.find_first_of(" \t?#%\\") != std::string::npos)
      throw publish_error(who + "the path \"" + s.path + "\" holds a blank, line break, \"?\", \"#\", \"%\" or \"\\\"");
    if (s.path.find("/../") != std::string::npos || s.path.find("/./") != std::string::npos ||
        s.path.find("//") != std::string::npos)
      throw publish_error(who + "the path \"" + s.path + "\" has an empty, \".\" or \"..\" component");
    size_t b = 0;
    while (b < s.description.size() && is_blank(s.description[b])) b++;
    if (b == s.description.size()) throw publish_error(who + "the description is empty");
    if (has_line_end(s.description)) throw publish_error(who + "the description holds a line break");
  }

  const std::string temp = partial_path_for(out);
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f << server_list_file_text(final_name, servers);
    f.close();
    if (!f) {
      PLAT_delete_file(temp);
      throw publish_error(out + ": cannot write the server list");
    }
  }
  const int err = PLAT_replace_file(temp, out);
  if (err) {
    PLAT_delete_file(temp);
    throw publish_error(out + ": cannot write the server list (" + error_str(err) + ")");
  }
}
