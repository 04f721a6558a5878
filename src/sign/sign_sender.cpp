#include "sign/sign_sender.h"

#include "base/ui_text.h"
#include "links/comport.h"
#include "links/comport_errors.h"
#include "links/tcpclient.h"
#include "settings/port_map.h"
#include "settings/profile.h"
#include "sign/comm_settings.h"
#include "sign/send_buffer.h"
#include "sign/send_errors.h"
#include "sign/sign_stream.h"

namespace {

// The port number under which a device named without one is opened.
constexpr unsigned kDeviceOnlyComNumber = 1;

} // namespace

TSignLink TSignLink::Serial(unsigned comNumber, std::int32_t baud, std::string device) {
    TSignLink link;
    link.kind = Kind::Serial;
    link.comNumber = comNumber;
    link.baud = baud;
    link.device = std::move(device);
    return link;
}

TSignLink TSignLink::Network(std::string host, int tcpPort) {
    TSignLink link;
    link.kind = Kind::Network;
    link.host = std::move(host);
    link.tcpPort = tcpPort;
    return link;
}

TSignLink signLinkFromSettings(const TBComm& comm, int tcpPort) {
    if (comm.usesNetwork())
        return TSignLink::Network(comm.IP, tcpPort);
    return signLinkFromSettings(comm, TProfile::read(comm.settingsPath()), tcpPort);
}

TSignLink signLinkFromSettings(const TBComm& comm, const TProfile& settings, int tcpPort) {
    if (comm.usesNetwork())
        return TSignLink::Network(comm.IP, tcpPort);
    // The port number is 16 bits wide, as the serial port takes it.
    const unsigned number = static_cast<std::uint16_t>(comm.Port);
    return TSignLink::Serial(number, comm.Baud,
                             number == 0 ? std::string() : comDeviceFromSettings(settings, number));
}

std::string describeSignLink(const TSignLink& link) {
    if (link.network())
        return fillIn(uiText("SignLink", "IP address %1, port %2"),
                      {link.host, std::to_string(link.tcpPort)});
    std::string text;
    if (link.comNumber == 0 && !link.device.empty()) {
        text = fillIn(uiText("SignLink", "Serial device %1"), {link.device});
    } else {
        text = fillIn(uiText("SignLink", "Com port %1"), {std::to_string(link.comNumber)});
        if (!link.device.empty())
            text += " (" + link.device + ")";
        if (link.defaultPort)
            text += uiText("SignLink", ", from the default Port,");
    }
    if (link.baud == 0)
        return fillIn(uiText("SignLink", "%1 at the device's speed"), {text});
    return fillIn(uiText("SignLink", "%1 at %2 baud"), {text, std::to_string(link.baud)});
}

TSignSender::TSignSender(TSignLink link)
    : link_(std::move(link))
    , ownPort_(std::make_unique<TComPort>())
    , ownClient_(std::make_unique<TTcpClient>())
    , port_(ownPort_.get())
    , client_(ownClient_.get()) {}

TSignSender::TSignSender(TSignLink link, TComPort& port, TTcpClient& client)
    : link_(std::move(link))
    , port_(&port)
    , client_(&client) {}

TSignSender::~TSignSender() {
    try {
        Close();
    } catch (...) {
        // The link is released even when closing fails; there is nobody left to tell.
    }
}

std::string TSignSender::Description() const {
    if (link_.network())
        return describeSignLink(link_);
    TSignLink shown = link_;
    if (shown.comNumber == 0 && !shown.device.empty())
        return describeSignLink(shown);
    if (port_->ComNumber != 0)
        shown.comNumber = port_->ComNumber;
    if (shown.device.empty() && shown.comNumber != 0 && port_->DeviceResolver) {
        try {
            shown.device = port_->DeviceResolver(shown.comNumber);
        } catch (...) {
            // A mapping that cannot be read leaves the device unnamed; the opening says why.
        }
    }
    return describeSignLink(shown);
}

void TSignSender::Open() {
    if (link_.network()) {
        if (client_->Connected())
            return;
        client_->Host = link_.host;
        client_->Port = link_.tcpPort;
        try {
            client_->Connect(ConnectTimeoutMs);
        } catch (const std::exception& error) {
            throw ESendOpenFailed(true, Description(), error.what());
        }
    } else {
        if (port_->Open())
            return;
        // A device named without a port number stands in for a port number of its own, so
        // that the port opens it instead of asking for a port.
        const unsigned number =
            link_.comNumber == 0 && !link_.device.empty() ? kDeviceOnlyComNumber : link_.comNumber;
        port_->Baud = link_.baud;
        port_->ComNumber = static_cast<std::uint16_t>(number);
        if (!link_.device.empty() && !resolverReplaced_) {
            savedResolver_ = port_->DeviceResolver;
            resolverReplaced_ = true;
            port_->DeviceResolver = [device = link_.device, saved = savedResolver_,
                                     number](unsigned n) {
                return n == number || !saved ? device : saved(n);
            };
        }
        try {
            port_->Open(true);
        } catch (const std::exception& error) {
            const std::string link = Description();
            Close();
            throw ESendOpenFailed(false, link, error.what());
        }
    }
    failed_ = false;
}

TSendOutcome TSignSender::Transmit(std::string_view bytes) {
    Open();
    TSendOptions options;
    options.baud = link_.baud;
    options.stallLimit = StallLimit;
    options.peerEndWait = PeerEndWait;
    options.cancel = &cancel_;
    options.link = Description();
    options.onWait = OnWait;
    const std::size_t total = bytes.size();
    TSendCount count{0, total, false};
    options.onProgress = [this, &count](const TSendCount& now) {
        count = now;
        handed_ = now.handed;
        if (OnProgress)
            OnProgress(now.sent, now.total);
    };
    // Whether the link can tell what the sign took is known once it is open.
    handed_ = link_.network() ? !client_->Unacknowledged() : !port_->DeviceQueued();
    count.handed = handed_;
    if (OnProgress)
        OnProgress(0, total);

    try {
        TSendOutcome outcome;
        if (link_.network()) {
            outcome = transmitNetwork(*client_, bytes, options);
        } else {
            TComPortSink sink(*port_);
            outcome = transmitSerial(sink, bytes, options);
        }
        handed_ = outcome.handed;
        return outcome;
    } catch (const ESendError& error) {
        failed_ = true;
        handed_ = error.count().handed;
        throw;
    } catch (const EPortException& error) {
        failed_ = true;
        std::string reason = error.what();
        if (const int code = port_->WriteErrorCode())
            reason += " (" + std::system_category().message(code) + ")";
        // The port's count up to the failure, which transmitSerial told last.
        throw sendBrokeOff(count, options.link, reason);
    }
}

void TSignSender::Close() {
    if (link_.network()) {
        if (failed_)
            client_->Abort();
        else
            client_->Disconnect();
    } else {
        struct Restore {
            TSignSender& sender;
            ~Restore() {
                if (sender.resolverReplaced_) {
                    sender.port_->DeviceResolver = std::move(sender.savedResolver_);
                    sender.resolverReplaced_ = false;
                }
            }
        } restore{*this};
        port_->Open(false);
    }
    failed_ = false;
}

TSendOutcome TSignSender::Send(const std::vector<std::string>& lines, int start, int width,
                               TSendBuffer& buffer, TBlock& sendBlock) {
    Open();
    try {
        buildSignStream(buffer, sendBlock, lines, start, width);
        const TSendOutcome outcome = Transmit(buffer.bytes());
        Close();
        return outcome;
    } catch (...) {
        try {
            Close();
        } catch (...) {
            // The failure that ended the send is the one to report.
        }
        throw;
    }
}
