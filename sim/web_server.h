#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "platform/socket_address.h"
#include "sim/answers.h"
#include "sim/authorization.h"
#include "sim/device_config.h"

namespace voq::sim {

struct RecordedRequest {
    std::string text;  // the request as received, up to its empty line
    std::uint32_t client_address;
    std::uint16_t client_port;
    std::string request_line;
    std::string path;
    std::string authorization;  // the header's value; empty when the request had none
    Verdict verdict;            // authorized also where no password is asked
    std::string reason;         // why the request was refused; empty when it was not
    int status;                 // the status answered; 0 when nothing was
};

// The device's web server: one connection at a time, one answer per connection,
// then close, as the devices do.
class WebServer {
public:
    explicit WebServer(WebConfig config);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Binds and listens on the configured address and port (not under the
    // refuse-connections fault); false with a reason when it cannot.
    bool start(std::string& error);
    void stop();

    // Called, on the server's thread, for every upgrade request it accepts.
    void on_upgrade_request(std::function<void(const UpgradeRequest&)> handler);

    // A restart: gone for down_ms (connections refused), then back with a new nonce
    // (under its policy) and, when new_version is not empty, reporting it.
    void restart(unsigned down_ms = 0, std::string new_version = {});
    void set_software_version(std::string version);

    std::vector<RecordedRequest> requests() const;
    std::vector<UpgradeRequest> upgrade_requests() const;
    std::string current_nonce() const;
    const WebConfig& config() const { return config_; }

private:
    void serve();
    bool listen_on_address(std::string& error);
    void come_back();
    void handle(platform::Socket connection, const platform::Endpoint& client);
    std::string answer_for(const std::string& request, RecordedRequest& record);
    std::string fresh_nonce();
    void log(const std::string& text) const;

    WebConfig config_;
    platform::Socket listener_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::vector<platform::Socket> held_connections_;

    mutable std::mutex mutex_;  // guards what follows
    std::mt19937 nonce_source_;
    NonceBook nonces_;
    std::vector<RecordedRequest> requests_;
    std::vector<UpgradeRequest> upgrade_requests_;
    std::function<void(const UpgradeRequest&)> upgrade_handler_;
    unsigned pending_down_ms_ = 0;
    std::string pending_version_;
};

}  // namespace voq::sim
