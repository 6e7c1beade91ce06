# The tests' FTP server: pyftpdlib on a loopback port, writable by one user, optionally playing
# one fault that a real server shows rarely.
#
#   ftp_server.py FOLDER USER PASSWORD FAULT [PORT]
#
# It listens on loopback PORT, or on a free port, and writes the port's number as the one line of
# its output.
#
# FAULT is one of
#   none          a plain server
#   rename-back   the second rename of a session is refused (a rename there and back fails half-way)
#   stall         a STOR opens its data connection and never reads from it
#   refuse-kept   a STOR reads every byte, then answers that the file was not kept
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import ActiveDTP, DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

folder, user, password, fault = sys.argv[1:5]
port = int(sys.argv[5]) if len(sys.argv) > 5 else 0


class HandingOverActiveDTP(ActiveDTP):
    # Once connected, the connector hands its socket to the data handler and leaves the IO loop,
    # but keeps the descriptor's number: closing the connector later (at the session's next
    # PORT/EPRT/PASV/EPSV, or at its end) would then unregister that number from the loop, which
    # may have given it to another connection since. That connection, often another client's
    # control connection, would never be read again and its client would wait for a reply
    # until its time-out. Forgetting the number leaves the loop to the data handler.
    def handle_connect(self):
        super().handle_connect()
        self._fileno = None


class StallingDTP(DTPHandler):
    def enable_receiving(self, type, cmd):
        super().enable_receiving(type, cmd)
        if fault == 'stall':
            # Listen for nothing: the client's bytes pile up in the socket buffers.
            self.modify_ioloop_events(0)


class Handler(FTPHandler):
    active_dtp = HandingOverActiveDTP
    dtp_handler = StallingDTP
    renames = 0

    def ftp_RNTO(self, path):
        self.renames += 1
        if fault == 'rename-back' and self.renames == 2:
            self._rnfr = None
            self.respond('553 Rename back refused.')
            return None
        return super().ftp_RNTO(path)

    def respond(self, resp, *args, **kwargs):
        if fault == 'refuse-kept' and resp.startswith('226'):
            resp = '552 Storage allocation exceeded; file not kept.'
        super().respond(resp, *args, **kwargs)


authorizer = DummyAuthorizer()
authorizer.add_user(user, password, folder, perm='elradfmwMT')
Handler.authorizer = authorizer
server = FTPServer(('127.0.0.1', port), Handler)
print(server.address[1], flush=True)
os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
server.serve_forever()
