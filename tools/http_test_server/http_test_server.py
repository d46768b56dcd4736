#!/usr/bin/env python3
"""A local HTTP server on loopback that stands in for the configuration host and the download
servers in tests. It serves the files of one folder and logs every request as received: the
request line and the headers, one block each ending with an empty line ("TLS <hex>" for a TLS
handshake on the plain port). A request through a proxy, naming the whole address, is served by
its path; a proxy's CONNECT (an https request sent through it) is logged and refused, so nothing
leaves the machine.

With --tls-dir DIR (the build tree's test certificates, scripts/lib/make-test-signers) the same
files are also served over TLS as "localhost": with DIR/localhost.crt, issued by the test root
the tests trust, and with DIR/untrusted-localhost.crt, which no root vouches for.
It misbehaves on demand through the first path segments:

  /status/<code>/<name>     answers <code> with a small HTML page
  /truncate/<n>/<name>      announces the whole length, sends <n> bytes, drops the connection
  /nolength/<name>          no Content-Length; the body ends when the connection closes
  /badlength/<name>         a Content-Length that is not a number
  /hugelength/<name>        a Content-Length of 10^15 and the file's real bytes
  /slow/<ms>/<name>         the file in eight pieces, <ms> apart

Modes:
  http_test_server.py serve --root DIR --log FILE [--port N] [--port-file FILE] [--tls-dir DIR]
      serves on one port: plain, or with --tls-dir over TLS with the trusted certificate
  http_test_server.py run [--root DIR] [--port N] [--tls-dir DIR] -- COMMAND...
      starts the server (on a free port unless --port), runs COMMAND with VL_TEST_HTTP_PORT,
      VL_TEST_HTTP_ROOT and VL_TEST_HTTP_LOG set (with --tls-dir also VL_TEST_HTTPS_PORT and
      VL_TEST_HTTPS_UNTRUSTED_PORT, TLS servers of the same folder and log), stops the server and
      exits with COMMAND's code. Without --root a fresh temporary folder is served and removed
      afterwards.
"""
import argparse
import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelloriaTestServer"
    sys_version = ""

    def log_message(self, *args):
        pass

    def record(self, text):
        # One block per request: the request line, the headers in their order, an empty line.
        with self.server.log_lock:
            with open(self.server.log_path, "a", encoding="utf-8", newline="\n") as f:
                f.write(text + "\n\n")

    def setup(self):
        # A TLS server completes the handshake here, on the connection's own thread.
        context = getattr(self.server, "tls_context", None)
        if context is not None:
            self.request = context.wrap_socket(self.request, server_side=True)
        super().setup()

    def handle(self):
        try:
            super().handle()
        except (ssl.SSLError, OSError):
            self.close_connection = True

    def handle_one_request(self):
        if getattr(self.server, "tls_context", None) is None:
            # Peek at the first bytes: a TLS handshake (0x16) is logged, not parsed as HTTP.
            try:
                first = self.connection.recv(8, socket.MSG_PEEK)
            except OSError:
                return
            if first[:1] == b"\x16":
                self.record("TLS " + first.hex())
                self.close_connection = True
                return
        super().handle_one_request()

    def do_CONNECT(self):
        # An https request through this server as a proxy: logged, never forwarded.
        self.record("\n".join([self.requestline] + ["%s: %s" % kv for kv in self.headers.items()]))
        self.error_page(502)

    def do_GET(self):
        self.record("\n".join([self.requestline] + ["%s: %s" % kv for kv in self.headers.items()]))
        path = self.path
        if "://" in path.split("?", 1)[0]:
            # A request through a proxy names the whole address: serve its path.
            path = "/" + path.split("://", 1)[1].partition("/")[2]
        parts = path.split("?", 1)[0].lstrip("/").split("/")
        mode = parts[0]
        try:
            if mode == "status":
                return self.error_page(int(parts[1]))
            if mode in ("truncate", "slow"):
                return self.send_file(parts[2:], mode, int(parts[1]))
            if mode in ("nolength", "badlength", "hugelength"):
                return self.send_file(parts[1:], mode, 0)
            return self.send_file(parts, "plain", 0)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def error_page(self, code):
        body = b"<html><body>error %d</body></html>" % code
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, segments, mode, arg):
        name = "/".join(segments)
        path = os.path.realpath(os.path.join(self.server.root, name))
        if not path.startswith(os.path.realpath(self.server.root) + os.sep) or not os.path.isfile(path):
            return self.error_page(404)
        with open(path, "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode == "nolength":
            self.send_header("Connection", "close")
            self.close_connection = True
        elif mode == "badlength":
            self.send_header("Content-Length", "12abc")
            self.close_connection = True
        elif mode == "hugelength":
            self.send_header("Content-Length", "1000000000000000")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if mode == "truncate":
            self.wfile.write(data[:arg])
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if mode == "slow":
            step = max(1, (len(data) + 7) // 8)
            for i in range(0, len(data), step):
                self.wfile.write(data[i:i + step])
                self.wfile.flush()
                time.sleep(arg / 1000.0)
            return
        self.wfile.write(data)


class TlsHandshakeServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        pass  # a client refusing the certificate ends its handshake: not an error of the server


def start(root, log_path, port=0, tls_cert=None, log_lock=None):
    server = TlsHandshakeServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    server.root = root
    server.log_path = log_path
    server.log_lock = log_lock or threading.Lock()
    server.tls_context = None
    if tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(tls_cert + ".crt", tls_cert + ".key")
        server.tls_context = context
    open(log_path, "a").close()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["serve", "run"])
    parser.add_argument("--root")
    parser.add_argument("--log")
    parser.add_argument("--port-file")
    parser.add_argument("--port", type=int, default=0, help="default: a free port")
    parser.add_argument("--tls-dir", help="serve over TLS too, with the test certificates here")
    argv = sys.argv[1:]
    command = []
    if "--" in argv:
        command = argv[argv.index("--") + 1:]
        argv = argv[:argv.index("--")]
    args = parser.parse_args(argv)

    scratch = None
    root = args.root
    if root is None:
        scratch = tempfile.mkdtemp(prefix="vl-http-")
        root = scratch
    os.makedirs(root, exist_ok=True)
    log_path = args.log or os.path.join(root, "requests.log")
    tls = os.path.join(args.tls_dir, "localhost") if args.tls_dir else None
    server = start(root, log_path, args.port, tls if args.mode == "serve" else None)
    port = server.server_address[1]
    extra = []
    if args.tls_dir and args.mode == "run":
        for name in ("localhost", "untrusted-localhost"):
            extra.append(start(root, log_path, 0, os.path.join(args.tls_dir, name), server.log_lock))
    if args.port_file:
        with open(args.port_file, "w") as f:
            f.write(str(port))
    try:
        if args.mode == "serve":
            threading.Event().wait()
            return 0
        env = dict(os.environ, VL_TEST_HTTP_PORT=str(port), VL_TEST_HTTP_ROOT=root,
                   VL_TEST_HTTP_LOG=log_path)
        if extra:
            env["VL_TEST_HTTPS_PORT"] = str(extra[0].server_address[1])
            env["VL_TEST_HTTPS_UNTRUSTED_PORT"] = str(extra[1].server_address[1])
        return subprocess.call(command, env=env)
    finally:
        for other in extra:
            other.shutdown()
        server.shutdown()
        if scratch:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
