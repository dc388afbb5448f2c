#include "sim/web_server.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include "platform/clock.h"
#include "platform/socket_address.h"
#include "ui/views.h"

namespace voq::sim {

namespace {

constexpr std::size_t longest_request = 16384;
constexpr unsigned request_patience_ms = 5000;

// The request head, up to its empty line; whatever arrived when the client stops
// sending, closes, or takes too long.
std::string read_request(platform::SocketHandle connection)
{
    std::string request;
    const std::uint32_t started = platform::milliseconds();
    char chunk[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < longest_request) {
        const std::uint32_t waited = platform::milliseconds() - started;
        if (waited >= request_patience_ms) break;
        if (platform::wait_readable(connection, request_patience_ms - waited) != platform::Readiness::readable) break;
        const long received = platform::receive_bytes(connection, chunk, sizeof chunk);
        if (received <= 0) break;
        request.append(chunk, static_cast<std::size_t>(received));
    }
    return request;
}

std::string header_value(const std::string& request, std::string_view name)
{
    std::size_t line = request.find("\r\n");
    while (line != std::string::npos && line + 2 < request.size()) {
        const std::size_t start = line + 2;
        const std::size_t end = request.find("\r\n", start);
        const std::string_view header(request.data() + start,
                                      (end == std::string::npos ? request.size() : end) - start);
        if (header.size() > name.size() && header[name.size()] == ':') {
            bool same = true;
            for (std::size_t k = 0; k < name.size(); ++k)
                same = same && std::tolower(static_cast<unsigned char>(header[k])) ==
                                   std::tolower(static_cast<unsigned char>(name[k]));
            if (same) {
                std::string_view value = header.substr(name.size() + 1);
                while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
                return std::string(value);
            }
        }
        line = end;
    }
    return {};
}

int status_of(const std::string& answer) { return answer.size() > 12 ? std::atoi(answer.c_str() + 9) : 0; }

void send_all(platform::SocketHandle connection, const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size()) {
        const long count = platform::send_bytes(connection, text.data() + sent, text.size() - sent);
        if (count <= 0) return;
        sent += static_cast<std::size_t>(count);
    }
}

// The path of "GET <path> HTTP/1.1"; of any other line, what stands between its
// first two spaces.
std::string path_of(const std::string& request_line)
{
    const std::size_t start = request_line.find(' ');
    if (start == std::string::npos) return {};
    const std::size_t end = request_line.find(' ', start + 1);
    return request_line.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

// What a careful device finds wrong with a request head before it looks at the
// credentials; empty when nothing.
std::string malformed(const std::string& request, std::uint32_t own_address, std::uint16_t own_port)
{
    const std::size_t head_end = request.find("\r\n\r\n");
    if (head_end == std::string::npos) return "the head does not end with an empty line";
    const std::string request_line = request.substr(0, request.find("\r\n"));
    const std::string path = path_of(request_line);
    if (request_line != "GET " + path + " HTTP/1.1" || path.empty() || path.front() != '/')
        return "not a request line \"GET <path> HTTP/1.1\"";
    const std::string host = header_value(request.substr(0, head_end + 2), "Host");
    if (host.empty()) return "no Host line";
    if (host != ui::dotted(own_address) && host != ui::dotted(own_address) + ":" + std::to_string(own_port))
        return "Host \"" + host + "\" is not this device";
    return {};
}

}  // namespace

WebServer::WebServer(WebConfig config) : config_(std::move(config)), nonce_source_(std::random_device{}())
{
    nonces_.issue(fresh_nonce());
}

WebServer::~WebServer() { stop(); }

bool WebServer::start(std::string& error)
{
    if (config_.fault == WebFault::refuse_connections) {
        log("refusing connections: nothing listens");
        return true;
    }
    if (!listen_on_address(error)) return false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

bool WebServer::listen_on_address(std::string& error)
{
    listener_ = platform::Socket(platform::open_stream_socket());
    const int on = 1;
    ::setsockopt(static_cast<int>(listener_.handle()), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (platform::bind_socket(listener_.handle(), platform::fill_socket_address(config_.address, config_.port)) ==
            platform::BindResult::bound &&
        ::listen(static_cast<int>(listener_.handle()), 8) == 0)
        return true;
    char reason[128];
    std::snprintf(reason, sizeof reason, "cannot listen on %u.%u.%u.%u:%u (error %d)", config_.address >> 24,
                  (config_.address >> 16) & 255, (config_.address >> 8) & 255, config_.address & 255, config_.port,
                  platform::last_socket_error());
    error = reason;
    listener_.reset();
    return false;
}

// The end of a restart's down time: listening again, with what the restart changed.
void WebServer::come_back()
{
    std::string problem;
    if (!listen_on_address(problem)) log("after the restart: " + problem);
    log("back after the restart");
}

void WebServer::stop()
{
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    held_connections_.clear();
    listener_.reset();
}

void WebServer::on_upgrade_request(std::function<void(const UpgradeRequest&)> handler)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    upgrade_handler_ = std::move(handler);
}

void WebServer::restart(unsigned down_ms, std::string new_version)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    if (down_ms == 0) {
        if (config_.digest.nonce_policy == NoncePolicy::after_restart) nonces_.issue(fresh_nonce());
        if (!new_version.empty()) config_.identity.software_version = std::move(new_version);
        return;
    }
    pending_down_ms_ = down_ms;
    pending_version_ = std::move(new_version);
}

void WebServer::set_software_version(std::string version)
{
    const std::lock_guard<std::mutex> hold(mutex_);
    config_.identity.software_version = std::move(version);
}

std::vector<RecordedRequest> WebServer::requests() const
{
    const std::lock_guard<std::mutex> hold(mutex_);
    return requests_;
}

std::vector<UpgradeRequest> WebServer::upgrade_requests() const
{
    const std::lock_guard<std::mutex> hold(mutex_);
    return upgrade_requests_;
}

std::string WebServer::current_nonce() const
{
    const std::lock_guard<std::mutex> hold(mutex_);
    return nonces_.current;
}

void WebServer::serve()
{
    while (!stopping_) {
        unsigned down_ms = 0;
        std::string version;
        {
            const std::lock_guard<std::mutex> hold(mutex_);
            std::swap(down_ms, pending_down_ms_);
            std::swap(version, pending_version_);
        }
        if (down_ms > 0) {
            listener_.reset();
            log("restarting: the web server is gone for " + std::to_string(down_ms) + " ms");
            const std::uint32_t went = platform::milliseconds();
            while (!stopping_ && platform::milliseconds() - went < down_ms) platform::sleep_milliseconds(10);
            restart(0, version);
            come_back();
        }
        if (!listener_.valid()) {
            platform::sleep_milliseconds(10);
            continue;
        }
        if (platform::wait_readable(listener_.handle(), 50) != platform::Readiness::readable) continue;
        sockaddr_in client{};
        socklen_t client_length = sizeof client;
        const int accepted = ::accept4(static_cast<int>(listener_.handle()), reinterpret_cast<sockaddr*>(&client),
                                       &client_length, SOCK_CLOEXEC);
        if (accepted >= 0)
            handle(platform::Socket(static_cast<platform::SocketHandle>(accepted)),
                   {ntohl(client.sin_addr.s_addr), ntohs(client.sin_port)});
    }
}

void WebServer::handle(platform::Socket connection, const platform::Endpoint& client)
{
    const std::string request = read_request(connection.handle());
    const std::string request_line = request.substr(0, request.find("\r\n"));
    const std::size_t head_end = request.find("\r\n\r\n");
    RecordedRequest record{head_end == std::string::npos ? request : request.substr(0, head_end + 4),
                           client.address,
                           client.port,
                           request_line,
                           path_of(request_line),
                           header_value(request, "Authorization"),
                           Verdict::authorized,
                           {},
                           0};

    if (config_.fault == WebFault::close_without_answer) {
        log(request_line + " -> closed without an answer");
    } else {
        const std::string answer = answer_for(request, record);
        record.status = status_of(answer);
        if (config_.answer_delay_ms > 0) platform::sleep_milliseconds(config_.answer_delay_ms);
        send_all(connection.handle(), answer);
        log(request_line + " -> " + std::to_string(record.status) + " (" +
            (record.reason.empty() ? std::string(describe(record.verdict)) : record.reason) + ")");
    }
    {
        const std::lock_guard<std::mutex> hold(mutex_);
        requests_.push_back(record);
    }
    if (config_.fault == WebFault::never_close) held_connections_.push_back(std::move(connection));
}

std::string WebServer::answer_for(const std::string& request, RecordedRequest& record)
{
    if (config_.strict) {
        record.reason = malformed(request, config_.address, config_.port);
        if (!record.reason.empty()) {
            record.verdict = Verdict::refused;
            return error_answer(400);
        }
    } else if (record.request_line.rfind("GET ", 0) != 0) {
        return error_answer(405);
    }
    if (config_.fault == WebFault::basic_challenge || config_.fault == WebFault::challenge_without_header)
        return *faulty_status_answer(config_);

    const std::string& path = record.path;
    std::unique_lock<std::mutex> hold(mutex_);
    if (config_.digest.enabled) {
        const Judgement judgement =
            verify_authorization(record.authorization, "GET", path, config_.digest, nonces_, config_.strict);
        record.verdict = judgement.verdict;
        record.reason = judgement.reason;
        if (record.verdict != Verdict::authorized) {
            if (config_.digest.nonce_policy == NoncePolicy::every_challenge) nonces_.issue(fresh_nonce());
            return digest_challenge_answer(config_.digest, nonces_.current);
        }
    }
    if (path == "/admin/advanced") {
        if (const auto faulty = faulty_status_answer(config_)) return *faulty;
        return ok_answer(status_page(config_.identity));
    }
    if (const auto upgrade = parse_upgrade_path(path)) {
        // Busy with another upgrade, the device says so and fetches nothing.
        if (config_.fault == WebFault::busy_upgrade) return error_answer(503);
        upgrade_requests_.push_back(*upgrade);
        const auto handler = upgrade_handler_;
        hold.unlock();
        if (handler) handler(*upgrade);
        return ok_answer("<html><body>Upgrade requested</body></html>\n");
    }
    return error_answer(404);
}

std::string WebServer::fresh_nonce()
{
    char nonce[40];
    std::snprintf(nonce, sizeof nonce, "%08x%08x%08x", static_cast<unsigned>(nonce_source_()),
                  static_cast<unsigned>(nonce_source_()), static_cast<unsigned>(nonce_source_()));
    return nonce;
}

void WebServer::log(const std::string& text) const
{
    if (config_.log) config_.log(text);
}

}  // namespace voq::sim
