// The server list: the version to install and up to ten mirrors, fetched from the
// server-list host at the start of every run.
#pragma once
#include <string>

// The host (optionally "host:port") that serves "/serverlist.txt": the build's
// setting, or the option --server_list=HOST[:PORT] for one run.
std::string server_list_host();
// One frame of the fetch while stg.num_servers is -1: polls download slot 0 and,
// once the file is complete, reads it and picks the starting server.
void server_list_step();
// Reads a downloaded server list into the server arrays, install_name and
// stg.num_servers. Returns 1, or 0 after new_format when the file is refused.
int read_server_list(const std::string& path);
// A starting or replacement server, biased toward the first ones of the list.
void pick_weighted_server();
