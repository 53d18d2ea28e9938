// vantrel-publish: the program. Parses the command line of the two subcommands,
// runs them and turns every failure into one line on standard error and a
// non-zero exit status (2 for a wrong command line, 1 for anything else).
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "publish/publish.h"
#include "shell/hl_alert.h"

static const char kUsage[] =
    "Usage:\n"
    "  vantrel-publish release --product DIR --name NAME --out MIRROR --folder /PATH/\n"
    "                          [--previous OLD_DIRECTORY_FILE] [--os-rules RULES]\n"
    "                          [--jobs N] [--level 1-9] [--verbose]\n"
    "  vantrel-publish serverlist --final NAME --server HOST /PATH/ DESCRIPTION\n"
    "                          [--server HOST /PATH/ DESCRIPTION ...] --out FILE\n"
    "  vantrel-publish --help\n"
    "\n"
    "Makes what a mirror serves to the Vantrel installer.\n"
    "\n"
    "release: publishes the product folder DIR as the release NAME. Writes the\n"
    "folder MIRROR/PATH/NAME/ holding \"directory.txt.zip\" (the directory file,\n"
    "\"directory.txt\" inside) and one archive per file, DIR's own name being the\n"
    "first component of every path: DIR=/src/Vantrel gives Vantrel/Resources/a.txt,\n"
    "stored as MIRROR/PATH/NAME/Vantrel/Resources/a.txt.zip. The folder is built\n"
    "beside its target and appears complete or not at all; an existing release is\n"
    "never overwritten.\n"
    "  --product DIR      the product folder; every regular file below it is\n"
    "                     published\n"
    "  --name NAME        the release name, as the server list's --final names it\n"
    "  --out MIRROR       the mirror's root folder (created when missing)\n"
    "  --folder /PATH/    the server folder below MIRROR, starting and ending with\n"
    "                     \"/\"; \"/\" puts releases straight into MIRROR\n"
    "  --previous FILE    the previous release's directory.txt.zip (or its unpacked\n"
    "                     directory.txt): each file's earlier signatures are kept in\n"
    "                     its history, so the installer replaces old copies without\n"
    "                     asking, and every path that release had and this one lacks\n"
    "                     is listed as GONE, so the installer deletes it. Archives of\n"
    "                     unchanged files found beside that file are taken over\n"
    "                     (hard-linked) instead of compressed again.\n"
    "  --os-rules RULES   a text file that gives files their os_type (default 0, for\n"
    "                     every system). One rule per line: GLOB OS_TYPE, e.g.\n"
    "                         Resources/plugins/mac/*   1\n"
    "                         *.exe                     2\n"
    "                         Resources/plugins/lin/*   3\n"
    "                     The glob is matched against the path below DIR; \"*\"\n"
    "                     matches any characters including \"/\", \"?\" one character.\n"
    "                     The first matching rule wins. os_type: 0 every system,\n"
    "                     1 Macintosh, 2 Windows, 3 Linux, 4 and 5 only that system,\n"
    "                     6 systems 6 and 3. Lines starting with \"#\" and empty lines\n"
    "                     are skipped.\n"
    "  --jobs N           files compressed at once (default: one per processor)\n"
    "  --level N          deflate level, 1 fastest to 9 smallest (default 6)\n"
    "  --verbose          one line per file: compressed or reused\n"
    "Empty files are published, with a note: the installer counts an empty file as\n"
    "missing, so it fetches it again on every update and never deletes it.\n"
    "Refused, with nothing written: paths with \".\" or \"..\" components, line breaks,\n"
    "control characters, \"\\\", \"?\", \"#\" or \"%\", file names starting with a blank,\n"
    "names containing \"900 red terrain\" or \"Earth Orbit Textures\", symbolic links\n"
    "and other special files, and with --previous a path that was a file there and\n"
    "is a folder now or the other way round (an update cannot make that change;\n"
    "publish a release without the path first).\n"
    "Sizes in the directory file are kilobytes of 1000 bytes, rounded up; records\n"
    "are in byte order of their paths.\n"
    "\n"
    "serverlist: writes the server list FILE naming NAME as the release to install\n"
    "and up to ten mirrors, in order of preference.\n"
    "  --final NAME       the release the installer installs\n"
    "  --server HOST /PATH/ DESCRIPTION\n"
    "                     a mirror: its host (HOST or HOST:PORT), the server folder\n"
    "                     given to release --folder, and the label the installer\n"
    "                     shows for it\n"
    "  --out FILE         where to write it (serve it as /serverlist.txt)\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed (one line on standard error says why),\n"
    "2 a wrong command line.\n";

// The message on one line whatever the names in it hold.
static std::string one_line(const std::string& s) {
  std::string out;
  for (char c : s) out += (c == '\n' || c == '\r') ? std::string("\\n") : std::string(1, c);
  return out;
}

struct usage_error {
  std::string what;
};

// The value of an option given as "--name VALUE" or "--name=VALUE".
static std::string take_value(int argc, char** argv, int& i, const std::string& arg, const std::string& name) {
  if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) return arg.substr(name.size() + 1);
  if (i + 1 >= argc) throw usage_error{name + " needs a value"};
  return argv[++i];
}

static bool is_option(const std::string& arg, const std::string& name) {
  return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0);
}

static int parse_int(const std::string& s, const std::string& name, int lo, int hi) {
  char* end = nullptr;
  const long v = strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || v < lo || v > hi)
    throw usage_error{name + " takes a number from " + std::to_string(lo) + " to " + std::to_string(hi)};
  return (int)v;
}

static int run_release(int argc, char** argv) {
  release_options opt;
  for (int i = 2; i < argc; i++) {
    const std::string a = argv[i];
    if (is_option(a, "--product")) opt.product = take_value(argc, argv, i, a, "--product");
    else if (is_option(a, "--name")) opt.name = take_value(argc, argv, i, a, "--name");
    else if (is_option(a, "--out")) opt.out = take_value(argc, argv, i, a, "--out");
    else if (is_option(a, "--folder")) opt.folder = take_value(argc, argv, i, a, "--folder");
    else if (is_option(a, "--previous")) opt.previous = take_value(argc, argv, i, a, "--previous");
    else if (is_option(a, "--os-rules")) opt.os_rules = take_value(argc, argv, i, a, "--os-rules");
    else if (is_option(a, "--jobs")) opt.jobs = parse_int(take_value(argc, argv, i, a, "--jobs"), "--jobs", 1, 64);
    else if (is_option(a, "--level")) opt.level = parse_int(take_value(argc, argv, i, a, "--level"), "--level", 1, 9);
    else if (a == "--verbose") opt.verbose = true;
    else throw usage_error{"release: unknown argument \"" + a + "\""};
  }
  if (opt.product.empty()) throw usage_error{"release needs --product DIR"};
  if (opt.name.empty()) throw usage_error{"release needs --name NAME"};
  if (opt.out.empty()) throw usage_error{"release needs --out MIRROR"};
  if (opt.folder.empty()) throw usage_error{"release needs --folder /PATH/"};
  const release_report r = publish_release(opt);
  std::cout << "published " << opt.name << " to " << r.release_folder << ": " << r.files << " files ("
            << r.added << " new, " << r.changed << " changed, " << r.gone << " gone), " << r.compressed
            << " compressed, " << r.reused << " reused, " << (r.file_bytes + 999) / 1000 << " kB in "
            << (r.archive_bytes + 999) / 1000 << " kB of archives\n";
  if (!r.empty_files.empty())
    std::cout << "note: " << r.empty_files.size() << " empty file" << (r.empty_files.size() == 1 ? "" : "s") << " ("
              << one_line(r.empty_files[0]) << (r.empty_files.size() > 1 ? ", ..." : "")
              << "): the installer counts an empty file as missing, so it fetches it on every update and never "
                 "deletes it\n";
  return 0;
}

static int run_serverlist(int argc, char** argv) {
  std::string final_name, out;
  bool have_final = false;
  std::vector<server_entry> servers;
  for (int i = 2; i < argc; i++) {
    const std::string a = argv[i];
    if (is_option(a, "--final")) {
      final_name = take_value(argc, argv, i, a, "--final");
      have_final = true;
    } else if (is_option(a, "--out")) {
      out = take_value(argc, argv, i, a, "--out");
    } else if (a == "--server") {
      // A value that looks like the next option means one was left out.
      bool complete = i + 3 < argc;
      for (int k = 1; complete && k <= 3; k++) complete = std::string(argv[i + k]).rfind("--", 0) != 0;
      if (!complete) throw usage_error{"--server needs HOST /PATH/ DESCRIPTION"};
      servers.push_back(server_entry{argv[i + 1], argv[i + 2], argv[i + 3]});
      i += 3;
    } else {
      throw usage_error{"serverlist: unknown argument \"" + a + "\""};
    }
  }
  if (!have_final) throw usage_error{"serverlist needs --final NAME"};
  if (out.empty()) throw usage_error{"serverlist needs --out FILE"};
  publish_server_list(final_name, servers, out);
  std::cout << "wrote the server list " << out << ": " << final_name << " on " << servers.size() << " server"
            << (servers.size() == 1 ? "" : "s") << "\n";
  return 0;
}

// The shared file services report trouble through alerts; here they become the
// program's one-line error.
static void alert_to_error(int, const std::string& s1, const std::string& s2, const std::string& s3,
                           const std::string& s4, int, const char*, int) {
  std::string text = s1;
  for (const std::string* s : {&s2, &s3, &s4})
    if (!s->empty()) text += " " + *s;
  throw publish_error(text);
}

static void on_signal(int) { publish_stop = 1; }


int main(int argc, char** argv) {
  g_alert_intercept = alert_to_error;
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
  std::signal(SIGHUP, on_signal);
#ifdef SIGXFSZ
  // Past a file-size limit a write should fail (and be reported), not end the program.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  const std::string cmd = argc > 1 ? argv[1] : "";
  try {
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
      std::cout << kUsage;
      return 0;
    }
    for (int i = 2; i < argc; i++) {
      const std::string a = argv[i];
      if (a == "--help" || a == "-h") {
        std::cout << kUsage;
        return 0;
      }
    }
    if (cmd == "release") return run_release(argc, argv);
    if (cmd == "serverlist") return run_serverlist(argc, argv);
    throw usage_error{cmd.empty() ? "name a subcommand: release or serverlist" : "unknown subcommand \"" + cmd + "\""};
  } catch (const usage_error& e) {
    std::cerr << "vantrel-publish: " << one_line(e.what) << " (see vantrel-publish --help)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "vantrel-publish: " << one_line(e.what()) << "\n";
    return 1;
  }
}
