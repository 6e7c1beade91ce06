# The tests' FTP server: pyftpdlib on a loopback port, writable by one user, optionally playing
# one fault that a real server shows rarely.
#
#   ftp_server.py FOLDER USER PASSWORD FAULT
#
# It listens on a free loopback port and writes the port's number as the one line of its output.
#
# FAULT is one of
#   none          a plain server
#   rename-back   the second rename of a session is refused (a rename there and back fails half-way)
#   stall         a STOR opens its data connection and never reads from it
#   refuse-kept   a STOR reads every byte, then answers that the file was not kept
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

folder, user, password, fault = sys.argv[1:5]


class StallingDTP(DTPHandler):
    def enable_receiving(self, type, cmd):
        super().enable_receiving(type, cmd)
        if fault == 'stall':
            # Listen for nothing: the client's bytes pile up in the socket buffers.
            self.modify_ioloop_events(0)


class Handler(FTPHandler):
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
server = FTPServer(('127.0.0.1', 0), Handler)
print(server.address[1], flush=True)
os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
server.serve_forever()
