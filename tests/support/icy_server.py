#!/usr/bin/python3
"""A small Shoutcast-style (ICY) stream server for tests, standard library only.

Serves the bytes of an audio file in a loop on 127.0.0.1:PORT with
icy-metaint metadata blocks whose StreamTitle changes every --title-every
bytes (--no-meta: a station that sends no titles at all). --close-after and
--stall-after end or freeze the stream after that many audio bytes. A plain
file mode (--plain) serves the file once with a Content-Length, like a web
server with a podcast episode.
"""
import argparse
import socketserver
import sys
import time


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--file", required=True)
    ap.add_argument("--name", default="Test Radio")
    ap.add_argument("--genre", default="Testing")
    ap.add_argument("--br", default="128")
    ap.add_argument("--metaint", type=int, default=8192)
    ap.add_argument("--titles", default="Band One - Song One|Band Two - Song Two|Band Three - Song Three")
    ap.add_argument("--title-every", type=int, default=65536)
    ap.add_argument("--close-after", type=int, default=0)
    ap.add_argument("--stall-after", type=int, default=0)
    ap.add_argument("--rate", type=int, default=0, help="bytes per second; 0 = as fast as the client reads")
    ap.add_argument("--plain", action="store_true")
    ap.add_argument("--no-meta", action="store_true", help="never send metadata, even when asked")
    a = ap.parse_args()
    data = open(a.file, "rb").read()
    titles = a.titles.split("|")

    class Handler(socketserver.StreamRequestHandler):
        def handle(self):
            request = b""
            while b"\r\n\r\n" not in request:
                chunk = self.request.recv(4096)
                if not chunk:
                    return
                request += chunk
            wants_meta = b"icy-metadata: 1" in request.lower() and not a.no_meta
            if a.plain:
                head = ("HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: %d\r\n"
                        "Accept-Ranges: none\r\nConnection: close\r\n\r\n" % len(data))
                self.wfile.write(head.encode())
                self.wfile.write(data)
                return
            head = "HTTP/1.0 200 OK\r\n"
            head += "Content-Type: audio/mpeg\r\nicy-name: %s\r\nicy-genre: %s\r\nicy-br: %s\r\n" % (
                a.name, a.genre, a.br)
            if wants_meta:
                head += "icy-metaint: %d\r\n" % a.metaint
            head += "\r\n"
            self.wfile.write(head.encode())
            sent = 0
            pos = 0
            since_meta = 0
            start = time.time()
            try:
                while True:
                    if a.close_after and sent >= a.close_after:
                        return
                    if a.stall_after and sent >= a.stall_after:
                        time.sleep(3600)
                    n = a.metaint - since_meta if wants_meta else 4096
                    n = min(n, 4096)
                    chunk = data[pos:pos + n]
                    if len(chunk) < n:
                        chunk += data[:n - len(chunk)]
                    pos = (pos + n) % len(data)
                    self.wfile.write(chunk)
                    sent += n
                    since_meta += n
                    if wants_meta and since_meta >= a.metaint:
                        since_meta = 0
                        title = titles[(sent // a.title_every) % len(titles)]
                        meta = ("StreamTitle='%s';StreamUrl='';" % title).encode()
                        blocks = (len(meta) + 15) // 16
                        self.wfile.write(bytes([blocks]) + meta.ljust(blocks * 16, b"\0"))
                    if a.rate:
                        ahead = sent / a.rate - (time.time() - start)
                        if ahead > 0:
                            time.sleep(ahead)
            except (BrokenPipeError, ConnectionResetError):
                return

    class Server(socketserver.ThreadingTCPServer):
        allow_reuse_address = True
        daemon_threads = True

    with Server(("127.0.0.1", a.port), Handler) as s:
        sys.stdout.flush()
        s.serve_forever()


if __name__ == "__main__":
    main()
