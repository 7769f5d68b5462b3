#pragma once
// A small HTTP server on 127.0.0.1 for the updater's tests: canned answers
// by path, each connection on a thread of its own so that a stalled answer
// does not hold up the next request. Unknown paths get 404.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CannedResponse {
    enum class Kind { Answer, CutShort, StallBeforeAnswer, StallInBody, UndeclaredLength };
    Kind kind = Kind::Answer;
    int status = 200;
    std::string body;
    std::string location;       // for redirects
    size_t declaredLength = 0;  // Content-Length for bodies cut short

    static CannedResponse ok(std::string body) { return make(Kind::Answer, 200, std::move(body)); }
    static CannedResponse error(int status) {
        return make(Kind::Answer, status, "<html>error " + std::to_string(status) + "</html>");
    }
    static CannedResponse redirect(std::string location) {
        CannedResponse response = make(Kind::Answer, 302, "");
        response.location = std::move(location);
        return response;
    }
    // The connection closes after `body`, though the headers promised more.
    static CannedResponse cutShort(std::string body, size_t declaredLength) {
        CannedResponse response = make(Kind::CutShort, 200, std::move(body));
        response.declaredLength = declaredLength;
        return response;
    }
    // The body, ended by closing the connection: no Content-Length tells its size.
    static CannedResponse undeclaredLength(std::string body) {
        return make(Kind::UndeclaredLength, 200, std::move(body));
    }
    // Takes the request and never answers.
    static CannedResponse stallBeforeAnswer() { return make(Kind::StallBeforeAnswer, 200, ""); }
    // Sends the headers and `body`, then nothing more, leaving the connection open.
    static CannedResponse stallInBody(std::string body, size_t declaredLength) {
        CannedResponse response = make(Kind::StallInBody, 200, std::move(body));
        response.declaredLength = declaredLength;
        return response;
    }

private:
    static CannedResponse make(Kind kind, int status, std::string body) {
        CannedResponse response;
        response.kind = kind;
        response.status = status;
        response.body = std::move(body);
        return response;
    }
};

class TestHttpServer {
public:
    // Port 0: any free port.
    explicit TestHttpServer(uint16_t port = 0) {
        if (pipe(stopPipe_) != 0) return;
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            close(listener_);
            listener_ = -1;
            return;
        }
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptConnections(); });
    }

    ~TestHttpServer() {
        if (stopPipe_[1] >= 0) close(stopPipe_[1]);  // wakes every waiting thread
        if (acceptor_.joinable()) acceptor_.join();
        for (std::thread& connection : connections_) connection.join();
        if (listener_ >= 0) close(listener_);
        if (stopPipe_[0] >= 0) close(stopPipe_[0]);
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool listening() const { return listener_ >= 0; }
    uint16_t port() const { return port_; }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

    void serve(const std::string& path, CannedResponse response) {
        std::lock_guard lock(mutex_);
        responses_[path] = std::move(response);
    }
    // Requested paths, in the order the requests arrived.
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    // Waits for `fd` to become readable; false when the server is stopping.
    bool waitReadable(int fd) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        return poll(watched, 2, -1) > 0 && watched[1].revents == 0;
    }
    void waitForStop() {
        pollfd watched{stopPipe_[0], POLLIN, 0};
        poll(&watched, 1, -1);
    }

    void acceptConnections() {
        while (waitReadable(listener_)) {
            const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            connections_.emplace_back([this, connection] { answer(connection); });
        }
    }

    std::string readRequestPath(int connection) {
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            if (!waitReadable(connection)) return {};
            const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) return {};
            request.append(buffer, static_cast<size_t>(got));
        }
        const size_t start = request.find(' ');
        const size_t end = request.find(' ', start + 1);
        if (start == std::string::npos || end == std::string::npos) return {};
        return request.substr(start + 1, end - start - 1);
    }

    static void sendAll(int connection, const std::string& data) {
        size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t now =
                send(connection, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (now <= 0) return;
            sent += static_cast<size_t>(now);
        }
    }

    void answer(int connection) {
        const std::string path = readRequestPath(connection);
        CannedResponse response = CannedResponse::error(404);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(path);
            if (auto found = responses_.find(path); found != responses_.end()) {
                response = found->second;
            }
        }
        if (response.kind == CannedResponse::Kind::StallBeforeAnswer) {
            waitForStop();
        } else {
            const size_t length = response.kind == CannedResponse::Kind::Answer
                                      ? response.body.size()
                                      : response.declaredLength;
            std::string head = "HTTP/1.1 " + std::to_string(response.status) + " Canned\r\n" +
                               "Connection: close\r\n";
            if (response.kind != CannedResponse::Kind::UndeclaredLength) {
                head += "Content-Length: " + std::to_string(length) + "\r\n";
            }
            if (!response.location.empty()) head += "Location: " + response.location + "\r\n";
            sendAll(connection, head + "\r\n" + response.body);
            if (response.kind == CannedResponse::Kind::StallInBody) waitForStop();
        }
        shutdown(connection, SHUT_RDWR);
        close(connection);
    }

    int stopPipe_[2] = {-1, -1};
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> connections_;  // touched by the acceptor alone until it is joined
    mutable std::mutex mutex_;
    std::map<std::string, CannedResponse> responses_;
    std::vector<std::string> requests_;
};

// A loopback port nobody listens on: connections to it are refused.
inline uint16_t refusingLoopbackPort() {
    TestHttpServer probe;
    return probe.port();  // closed again when the probe goes
}
