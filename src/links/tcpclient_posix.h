#pragma once

// How POSIX errors become the network link's socket error codes.

// The socket error code for an errno value; 0 for a value that has no counterpart in the code
// table.
int socketCodeFromErrno(int error);

// The socket error code for a failed getaddrinfo() (an EAI_* value other than EAI_SYSTEM): an
// unknown name gives kSocketErrorHostNotFound, a temporary failure of the resolver
// kSocketErrorTryAgain, any other failure of the resolver kSocketErrorNoRecovery.
int socketCodeFromResolver(int result);
