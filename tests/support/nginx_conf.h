// The nginx configuration the test servers run with: one server on a loopback
// port serving a folder, its files and logs in a folder of its own, a probe page
// that answers a token so that a test knows it reached its own server.
#pragma once
#include <string>

inline const char kProbePath[] = "/.vantrel-fixture-probe";

// A string for the nginx configuration, in double quotes.
inline std::string conf_quote(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

inline std::string make_conf(const std::string& dir, const std::string& root, int port, long limit_rate,
                             const std::string& token) {
  std::string c;
  c += "daemon off;\nmaster_process off;\nworker_processes 1;\n";
  c += "pid " + conf_quote(dir + "nginx.pid") + ";\n";
  c += "error_log " + conf_quote(dir + "error.log") + " warn;\n";
  c += "events { worker_connections 512; }\n";
  c += "http {\n";
  c += "  access_log " + conf_quote(dir + "access.log") + ";\n";
  const char* temps[] = {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"};
  for (const char* t : temps) c += std::string("  ") + t + "_temp_path " + conf_quote(dir + t) + ";\n";
  c += "  default_type application/octet-stream;\n";
  c += "  sendfile on;\n  tcp_nopush on;\n  keepalive_timeout 5;\n";
  c += "  server {\n";
  c += "    listen 127.0.0.1:" + std::to_string(port) + ";\n";
  c += "    server_name localhost;\n";
  c += "    root " + conf_quote(root) + ";\n";
  c += "    autoindex off;\n";
  if (limit_rate > 0) c += "    limit_rate " + std::to_string(limit_rate) + ";\n";
  c += "    location = " + std::string(kProbePath) + " { return 200 " + conf_quote(token) + "; }\n";
  c += "  }\n}\n";
  return c;
}
