// The serial device on POSIX systems: termios line settings, exclusive opening with TIOCEXCL
// and flock, and output through a non-blocking descriptor so that a write waiting on a
// stalled line can be abandoned at once.
#include "links/comport_device.h"
#include "links/comport_errors.h"
#include "links/termios_speed.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// The failure of an opening step with errno `err`.
[[noreturn]] void throwOpenError(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        throw EBadId();
    case EBUSY:       // the device was opened exclusively by someone else
    case EWOULDBLOCK: // flock: another descriptor holds the lock
        throw EAlreadyOpen();
    case ENOMEM:
        throw std::bad_alloc();
    case EMFILE:
    case ENFILE:
        throwPlatformError(kIoTooManyOpenFiles, "");
    case EBADF:
        throwPlatformError(kIoInvalidHandle, "");
    default:
        throw EInOutError(err, cleanPlatformText(std::strerror(err)));
    }
}

// How long a write waits for the device to report room before it tries again anyway.
constexpr int kRoomRecheckMs = 50;

// The control-mode bits that describe the character frame.
constexpr tcflag_t kFrameBits = CSIZE | PARENB | PARODD | CSTOPB
#ifdef CMSPAR
                                | CMSPAR
#endif
    ;

// Whether the terminal device open on `fd` is the far end of a pseudo-terminal, whose output
// queue is always reported empty: what it was written waits in its reader's input.
bool isPseudoTerminal(int fd) {
#ifdef __linux__
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned kind = major(st.st_rdev);
    // The Unix 98 pseudo-terminals (136 to 143) and the old BSD ones (3).
    return (kind >= 136 && kind <= 143) || kind == 3;
#else
    (void)fd;
    return true;
#endif
}

} // namespace

TComDevice::TComDevice(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throwOpenError(errno);
    try {
        // The lock stops every program that locks the same way, root included; the
        // exclusive mode stops every other opening by a user without privileges.
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            throwOpenError(errno);
        if (!::isatty(fd_))
            throwOpenError(ENOTTY);
#ifdef TIOCGEXCL
        int exclusive = 0;
        if (::ioctl(fd_, TIOCGEXCL, &exclusive) == 0 && exclusive)
            throwOpenError(EBUSY);
#endif
        if (::ioctl(fd_, TIOCEXCL) != 0)
            throwOpenError(errno);
        queueTells_ = !isPseudoTerminal(fd_);
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            throwOpenError(errno);
        cancelRead_ = fds[0];
        cancelWrite_ = fds[1];
    } catch (...) {
        release();
        throw;
    }
}

TComDevice::~TComDevice() {
    release();
}

void TComDevice::release() {
    if (fd_ >= 0) {
        // Leave the device openable for the next program once it is closed.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
    if (cancelRead_ >= 0)
        ::close(cancelRead_);
    if (cancelWrite_ >= 0)
        ::close(cancelWrite_);
    cancelRead_ = cancelWrite_ = -1;
}

void TComDevice::configure(const TLineSettings& s) {
    termios t{};
    if (::tcgetattr(fd_, &t) != 0)
        throwOpenError(errno);

    // Raw binary: no input or output processing, parity not checked, every byte (NUL and the
    // break and control characters included) passed through as it is.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(kFrameBits | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;

    switch (s.dataBits) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    case 8:
        t.c_cflag |= CS8;
        break;
    default:
        throwOpenError(EINVAL);
    }
    switch (s.parity) {
    case pNone:
        break;
    case pOdd:
        t.c_cflag |= PARENB | PARODD;
        break;
    case pEven:
        t.c_cflag |= PARENB;
        break;
#ifdef CMSPAR
    case pMark:
        t.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case pSpace:
        t.c_cflag |= PARENB | CMSPAR;
        break;
#endif
    default:
        throwOpenError(EINVAL);
    }
    if (s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    else if (s.stopBits != 1)
        throwOpenError(EINVAL);

    // RTS/CTS is the one hardware handshake that termios offers.
    if (s.hwFlow & (hwfUseRTS | hwfRequireCTS))
        t.c_cflag |= CRTSCTS;
    if (s.swFlow == swfTransmit || s.swFlow == swfBoth)
        t.c_iflag |= IXON;
    if (s.swFlow == swfReceive || s.swFlow == swfBoth)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    // A read returns at once with whatever has arrived.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    if (s.baud != 0) {
        speed_t speed;
        if (!termiosSpeed(s.baud, speed))
            throwOpenError(EINVAL);
        if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
            throwOpenError(errno);
    }
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        throwOpenError(errno);

    // tcsetattr succeeds when any one of the settings was taken: a device that dropped the
    // speed or the frame has refused them.
    termios actual{};
    if (::tcgetattr(fd_, &actual) != 0)
        throwOpenError(errno);
    if (::cfgetospeed(&actual) != ::cfgetospeed(&t) ||
        (actual.c_cflag & kFrameBits) != (t.c_cflag & kFrameBits))
        throwOpenError(EINVAL);

    // Pseudo-terminals have no modem lines; they answer ENOTTY or EINVAL.
    int raise = (s.dtr ? TIOCM_DTR : 0) | (s.rts && !(t.c_cflag & CRTSCTS) ? TIOCM_RTS : 0);
    int lower = (s.dtr ? 0 : TIOCM_DTR) | (s.rts || (t.c_cflag & CRTSCTS) ? 0 : TIOCM_RTS);
    for (auto [request, bits] : {std::pair<unsigned long, int>{TIOCMBIS, raise},
                                 std::pair<unsigned long, int>{TIOCMBIC, lower}}) {
        if (bits && ::ioctl(fd_, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL)
            throwOpenError(errno);
    }
}

int TComDevice::write(const std::uint8_t* data, std::size_t size,
                      std::atomic<std::uint64_t>& taken) {
    std::size_t written = 0;
    while (written < size) {
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {cancelRead_, POLLIN, 0}};
        // A pseudo-terminal makes room as its reader reads without waking a writer that waits
        // in poll (only a reader that empties it does): the write is tried again now and then
        // even when the poll has reported nothing.
        if (::poll(fds, 2, kRoomRecheckMs) < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (fds[1].revents)
            return kCancelled;
        if (fds[0].revents & POLLNVAL)
            return EBADF;
        const ssize_t n = ::write(fd_, data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            taken += static_cast<std::uint64_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return errno;
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Hung up and taking nothing: the device has gone.
            return EIO;
        }
    }
    return kDone;
}

int TComDevice::drain() {
    while (::tcdrain(fd_) != 0)
        if (errno != EINTR)
            return errno;
    return kDone;
}

void TComDevice::cancel() {
    const char byte = 1;
    // The pipe stays readable from now on; a full pipe is readable already.
    [[maybe_unused]] ssize_t n = ::write(cancelWrite_, &byte, 1);
}

std::optional<std::size_t> TComDevice::outQueued() const {
#ifdef TIOCOUTQ
    int queued = 0;
    if (queueTells_ && ::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued >= 0)
        return static_cast<std::size_t>(queued);
#endif
    return std::nullopt;
}

void TComDevice::purgeOutput() {
    ::tcflush(fd_, TCOFLUSH);
}

void TComDevice::purgeInput() {
    ::tcflush(fd_, TCIFLUSH);
}

TProbeResult TComDevice::probe(const std::string& path) {
    try {
        TComDevice device(path);
        return TProbeResult::Opened;
    } catch (const EBadId&) {
        return TProbeResult::Missing;
    } catch (const EAlreadyOpen&) {
        return TProbeResult::Held;
    } catch (const EInOutError& e) {
        if (e.ErrorCode == EACCES || e.ErrorCode == EPERM)
            return TProbeResult::PermissionDenied;
        return TProbeResult::Failed;
    } catch (...) {
        return TProbeResult::Failed;
    }
}
