#include "timesync/ntp_sample.h"

// This machine's clock lies between 1601 and 30828, the server's between 1970
// and 2104 (in microseconds, within 2^60), so no sum here can overflow.
std::int64_t NtpSample::Offset() const { return ((receive - originate) + (transmit - arrival)) / 2; }

std::int64_t NtpSample::Delay() const { return (arrival - originate) - (transmit - receive); }
