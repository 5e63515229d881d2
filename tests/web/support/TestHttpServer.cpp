#include "tests/web/support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace webtest {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string contentType(const std::string& path) {
  const auto ends = [&](const char* ext) {
    const std::size_t n = std::strlen(ext);
    return path.size() >= n && path.compare(path.size() - n, n, ext) == 0;
  };
  if (ends(".html") || ends(".htm")) return "text/html; charset=utf-8";
  if (ends(".js")) return "text/javascript; charset=utf-8";
  if (ends(".css")) return "text/css";
  if (ends(".json")) return "application/json";
  return "application/octet-stream";
}

std::map<std::string, std::string> parseForm(const std::string& text) {
  std::map<std::string, std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(start, end - start);
    if (!pair.empty()) {
      const std::size_t eq = pair.find('=');
      out.emplace(formDecode(pair.substr(0, eq)), eq == std::string::npos ? "" : formDecode(pair.substr(eq + 1)));
    }
    start = end + 1;
  }
  return out;
}

int listenOn(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0)
    throw std::runtime_error(std::string("cannot listen: ") + std::strerror(errno));
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

void writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string formDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Request::field(const std::string& name) const {
  const auto form = parseForm(method == "POST" ? body : query);
  auto it = form.find(name);
  return it == form.end() ? std::string() : it->second;
}

bool Request::hasField(const std::string& name) const {
  return parseForm(method == "POST" ? body : query).count(name) > 0;
}

TestHttpServer::TestHttpServer(std::string root) : root_(std::move(root)) {
  listeners_[0] = listenOn(ports_[0]);
  listeners_[1] = listenOn(ports_[1]);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this] { run(); });
}

TestHttpServer::~TestHttpServer() {
  const char c = 'x';
  (void)!::write(wake_[1], &c, 1);
  thread_.join();
  for (int fd : {listeners_[0], listeners_[1], wake_[0], wake_[1]}) ::close(fd);
}

std::string TestHttpServer::sameBase() const { return "http://127.0.0.1:" + std::to_string(ports_[0]); }
std::string TestHttpServer::crossBase() const { return "http://localhost:" + std::to_string(ports_[1]); }

void TestHttpServer::setPage(const std::string& path, const std::string& html) {
  std::lock_guard lock(mutex_);
  pages_[path] = html;
}

std::vector<Request> TestHttpServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<Request> TestHttpServer::submissions() const {
  std::lock_guard lock(mutex_);
  std::vector<Request> out;
  for (const auto& r : requests_)
    if (r.path.rfind("/action/", 0) == 0) out.push_back(r);
  return out;
}

std::optional<Request> TestHttpServer::waitForSubmission(std::size_t seen, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  std::optional<Request> found;
  changed_.wait_for(lock, timeout, [&] {
    std::size_t n = 0;
    for (const auto& r : requests_) {
      if (r.path.rfind("/action/", 0) != 0) continue;
      if (n++ == seen) {
        found = r;
        return true;
      }
    }
    return false;
  });
  return found;
}

std::optional<Request> TestHttpServer::waitForRequest(const std::string& path, std::size_t from,
                                                      std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  std::optional<Request> found;
  changed_.wait_for(lock, timeout, [&] {
    for (std::size_t i = from; i < requests_.size(); ++i) {
      if (requests_[i].path == path) {
        found = requests_[i];
        return true;
      }
    }
    return false;
  });
  return found;
}

void TestHttpServer::clearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void TestHttpServer::run() {
  std::vector<Client> clients;
  for (;;) {
    std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listeners_[0], POLLIN, 0}, {listeners_[1], POLLIN, 0}};
    for (const auto& c : clients) fds.push_back({c.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) break;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[1 + i].revents & POLLIN)) continue;
      const int fd = ::accept4(listeners_[i], nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) clients.push_back({fd, ports_[i], {}});
    }
    for (std::size_t k = 3; k < fds.size(); ++k) {
      if (!fds[k].revents) continue;
      auto it = std::find_if(clients.begin(), clients.end(), [&](const Client& c) { return c.fd == fds[k].fd; });
      if (it == clients.end()) continue;
      char buffer[65536];
      const ssize_t n = ::recv(it->fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) it->in.append(buffer, static_cast<std::size_t>(n));
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR) || handle(*it)) {
        ::close(it->fd);
        clients.erase(it);
      }
    }
  }
  for (const auto& c : clients) ::close(c.fd);
}

bool TestHttpServer::handle(Client& client) {
  const std::size_t headerEnd = client.in.find("\r\n\r\n");
  if (headerEnd == std::string::npos) return false;
  Request request;
  request.port = client.port;
  std::istringstream head(client.in.substr(0, headerEnd));
  std::string line;
  std::getline(head, line);
  std::string target, version;
  std::istringstream(line) >> request.method >> target >> version;
  while (std::getline(head, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    request.headers[lower(line.substr(0, colon))] = value;
  }
  std::size_t length = 0;
  if (auto it = request.headers.find("content-length"); it != request.headers.end()) length = std::stoul(it->second);
  if (client.in.size() < headerEnd + 4 + length) return false;
  request.body = client.in.substr(headerEnd + 4, length);
  const std::size_t q = target.find('?');
  request.path = target.substr(0, q);
  if (q != std::string::npos) request.query = target.substr(q + 1);
  const std::string response = respond(request);
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  changed_.notify_all();
  writeAll(client.fd, response);
  return true;
}

std::string TestHttpServer::respond(const Request& request) {
  int status = 200;
  std::string body;
  std::string type = "text/html; charset=utf-8";
  if (request.path.rfind("/action/", 0) == 0) {
    body = "<!DOCTYPE html><html><head><title>Received</title></head><body>received</body></html>";
  } else {
    std::optional<std::string> page;
    {
      std::lock_guard lock(mutex_);
      if (auto it = pages_.find(request.path); it != pages_.end()) page = it->second;
    }
    if (page && request.path.find('.') != std::string::npos) type = contentType(request.path);
    if (!page && !root_.empty() && request.path.find("..") == std::string::npos) {
      std::ifstream file(root_ + request.path, std::ios::binary);
      if (file) {
        std::ostringstream all;
        all << file.rdbuf();
        page = all.str();
        type = contentType(request.path);
      }
    }
    if (page) {
      body = *page;
      replaceAll(body, "{{SAME}}", sameBase());
      replaceAll(body, "{{CROSS}}", crossBase());
    } else {
      status = 404;
      body = "<!DOCTYPE html><html><head><title>Not found</title></head><body>not found</body></html>";
    }
  }
  std::string out = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") + "\r\n";
  out += "Content-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  if (request.method != "HEAD") out += body;
  return out;
}

}  // namespace webtest
