#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace webtest {

// One request the server received.
struct Request {
  int port = 0;
  std::string method;
  std::string path;                            // without the query
  std::string query;                           // after "?", without it
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;

  // A field of a form-encoded body (POST) or query (GET), decoded; empty when absent.
  std::string field(const std::string& name) const;
  bool hasField(const std::string& name) const;
};

// A small HTTP server on 127.0.0.1 for the browser tests, with two ports: pages
// on the second one, addressed as http://localhost:PORT, are another site than
// those of the first (http://127.0.0.1:PORT), so the browser puts them in
// cross-site frames. It serves the files of a folder and pages given in
// memory, replacing "{{SAME}}" and "{{CROSS}}" in them by the two base addresses,
// and records every request; requests to /action/... are form submissions,
// answered with a small page titled "Received".
class TestHttpServer {
 public:
  explicit TestHttpServer(std::string root = {});
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int port() const { return ports_[0]; }
  int crossPort() const { return ports_[1]; }
  std::string sameBase() const;   // http://127.0.0.1:PORT
  std::string crossBase() const;  // http://localhost:PORT2
  std::string url(const std::string& path) const { return sameBase() + path; }
  std::string crossUrl(const std::string& path) const { return crossBase() + path; }

  // A page served at path (both ports) instead of a file.
  void setPage(const std::string& path, const std::string& html);

  std::vector<Request> requests() const;
  std::vector<Request> submissions() const;
  // Waits until more than `seen` submissions have arrived; the next one.
  std::optional<Request> waitForSubmission(std::size_t seen, std::chrono::milliseconds timeout) const;
  // Waits for a request to this path among the requests after the first `from`.
  std::optional<Request> waitForRequest(const std::string& path, std::size_t from,
                                        std::chrono::milliseconds timeout) const;
  void clearRequests();

 private:
  struct Client {
    int fd;
    int port;
    std::string in;
  };

  void run();
  bool handle(Client& client);  // true when the request was complete and answered
  std::string respond(const Request& request);

  std::string root_;
  int listeners_[2] = {-1, -1};
  int ports_[2] = {0, 0};
  int wake_[2] = {-1, -1};
  std::thread thread_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::string, std::string> pages_;
  std::vector<Request> requests_;
};

// Percent-decoding of a form-encoded value ("+" is a blank).
std::string formDecode(const std::string& text);

}  // namespace webtest
