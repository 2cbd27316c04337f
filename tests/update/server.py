#!/usr/bin/env python3
# Update server for the update-check tests: one handler on a plain HTTP port and an HTTPS port (certificate
# and key from the command line). Prints "<http port> <https port>" and serves until killed. The first path
# element picks the behaviour; installers are small shell scripts that append a line to $ZF_TEST_MARKER.
import hashlib
import http.server
import socketserver
import ssl
import sys
import threading
import time

OLD = 'Zentrafox_v1.0.3.0_1.0.0_setup.exe'
NEW = 'Zentrafox_v1.0.10.0_1.0.0_setup.exe'


def installer(code):
    return ('#!/bin/sh\necho ran >> "$ZF_TEST_MARKER"\nexit %d\n' % code).encode()


def listing(*names):
    rows = ''.join('<li><a href="%s">%s</a></li>\n' % (n, n) for n in names)
    return ('<html><body><h1>Index</h1><ul>\n%s</ul></body></html>\n' % rows).encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def send(self, code, body, length=None, ctype='text/html'):
        self.send_response(code)
        self.send_header('Content-Type', ctype)
        self.send_header('Content-Length', str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        if self.headers.get('User-Agent') != 'ZavivAVAdad/1.0':
            return self.send(403, b'unknown agent')
        parts = self.path.strip('/').split('/')
        mode, name = parts[0], (parts[1] if len(parts) > 1 else '')
        if mode == 'silent':
            time.sleep(30)
            return
        if mode in ('404', '203'):
            return self.send(int(mode), listing(NEW))
        if mode == 'slow' and not name:
            time.sleep(1.5)
        if not name:
            names = [OLD, NEW, NEW.replace('_1.0.0_', '_2.0.0_')]
            return self.send(200, listing(*names))
        body = installer(3 if mode == 'exit3' else 0)
        digest = hashlib.sha256(body).hexdigest()
        if name == NEW + '.sha256':
            if mode == 'nosum':
                return self.send(404, b'not found')
            if mode == 'badsum':
                digest = hashlib.sha256(body + b'x').hexdigest()
            return self.send(200, ('%s  %s\n' % (digest, NEW)).encode(), ctype='text/plain')
        if name == NEW:
            if mode == 'truncated':
                self.send(200, body[:10], length=len(body), ctype='application/octet-stream')
                self.close_connection = True
                return
            return self.send(200, body, ctype='application/octet-stream')
        return self.send(404, b'not found')


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def main():
    plain = Server(('127.0.0.1', 0), Handler)
    secure = Server(('127.0.0.1', 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for s in (plain, secure):
        threading.Thread(target=s.serve_forever, daemon=True).start()
    print(plain.server_address[1], secure.server_address[1], flush=True)
    threading.Event().wait()


if __name__ == '__main__':
    main()
