// Waiting for a socket of the program under test, in real time: the network
// tests give the connection time to deliver between two polls of the client.
#pragma once

// Waits up to `ms` of real time until socket `fd` can be read (or has failed).
bool wait_fd_readable(unsigned int fd, int ms);
