#ifndef TEVRA_TEST_FEED_SERVER_H
#define TEVRA_TEST_FEED_SERVER_H

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A feed of one all-day event, on 2026-03-12.
constexpr char kOneDayFeed[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:f\r\n"
	"DTSTART;VALUE=DATE:20260312\r\nSUMMARY:Feed event\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// A feed server on the loopback address that answers each request as told.
class feed_server {
public:
	// kHuge answers more than 64 MB and says so; kHugeUnsaid sends it without its length.
	enum answer { kGood, kFail, kStall, kAfterOther, kHuge, kHugeUnsaid };

	explicit feed_server(std::string body) : fBody(std::move(body))
	{
		fSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
		sockaddr_in address = {};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		socklen_t size = sizeof(address);
		bind(fSocket, (sockaddr*)&address, size);
		listen(fSocket, 4);
		getsockname(fSocket, (sockaddr*)&address, &size);
		fPort = ntohs(address.sin_port);
		fThread = std::thread([this] { _Serve(); });
	}

	~feed_server()
	{
		fStop = true;
		fThread.join();
		close(fSocket);
	}

	std::string Url(const char* path) const
	{
		return "http://127.0.0.1:" + std::to_string(fPort) + path;
	}

	std::atomic<answer> fAnswer{kGood};
	// Requests received; kAfterOther answers once fOther has received one.
	std::atomic<int> fRequests{0};
	feed_server* fOther = nullptr;
	// Stalled requests whose client closed the connection before the server gave up.
	std::atomic<int> fHungUp{0};

private:
	// Waits for the socket to be readable, at most a tenth of a second.
	static bool _Readable(int fd)
	{
		pollfd poller = {fd, POLLIN, 0};
		return poll(&poller, 1, 100) > 0;
	}

	void _Serve()
	{
		while (!fStop) {
			if (!_Readable(fSocket))
				continue;
			int client = accept4(fSocket, nullptr, nullptr, SOCK_CLOEXEC);
			if (client < 0)
				continue;
			std::string request;
			char buffer[1024];
			for (int wait = 0; wait < 30 && request.find("\r\n\r\n") == std::string::npos;
				wait++) {
				ssize_t got = _Readable(client) ? recv(client, buffer, sizeof(buffer), 0) : 0;
				if (got > 0)
					request.append(buffer, got);
			}
			if (request.size() < 4) {
				close(client);
				continue;
			}
			fRequests++;
			// "/start…" redirects to the feed, "/loop…" to itself.
			std::string path = request.substr(4, request.find_first_of(" ?", 4) - 4);
			std::string moved = path == "/start" ? "/feed.ics" : path == "/loop" ? "/loop" : "";
			for (int wait = 0; fAnswer == kAfterOther && wait < 30 && fOther->fRequests == 0;
				wait++)
				_Readable(client);
			if (!moved.empty()) {
				std::string reply = "HTTP/1.1 302 Found\r\nLocation: " + moved
					+ "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
				send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
			} else if (fAnswer == kStall) {
				// Held until the client gives up, or three seconds at most.
				for (int wait = 0; wait < 30 && !fStop; wait++) {
					if (_Readable(client) && recv(client, buffer, sizeof(buffer), 0) <= 0) {
						fHungUp++;
						break;
					}
				}
			} else {
				bool good = fAnswer != kFail, huge = fAnswer == kHuge || fAnswer == kHugeUnsaid;
				std::string body = huge ? std::string(64 * 1024 * 1024 + 1, 'x')
					: good ? fBody : "oops";
				std::string length = fAnswer == kHugeUnsaid ? ""
					: "\r\nContent-Length: " + std::to_string(body.size());
				std::string reply = std::string(good ? "HTTP/1.1 200 OK"
					: "HTTP/1.1 500 Internal Server Error") + length
					+ "\r\nConnection: close\r\n\r\n" + body;
				send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
			}
			close(client);
		}
	}

	std::string fBody;
	int fSocket;
	int fPort;
	std::atomic<bool> fStop{false};
	std::thread fThread;
};

#endif
