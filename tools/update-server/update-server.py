#!/usr/bin/python3
"""A local update server for Corvane's remote script update.

Builds the four archives the update fetches from a profile's engine-script
table and a news file, and serves them with a real FTP server on loopback:

  MSGREF.ZIP  holds MSG.REF  (news messages)
  SE3DAT.ZIP  holds SE3.DAT  (the engine-script table)
  SE3IDX.ZIP  holds SE3.IDX  (empty: table files carry their indexes)
  SE3BLB.ZIP  holds SE3.BLB  (empty: table files carry their memos)

Try an update against the demo profile:

  /usr/bin/python3 tools/update-server/update-server.py --data ~/Corvane/Data --serve

then set the FTP values of the network settings to the host, port, user and
password it prints, and run Utilities | Remote Script Update.

Debian's python3-pyftpdlib loads in /usr/bin/python3 (not in another python3
that may come first on PATH). Options for tests: --port 0 takes a free port
and prints "READY <port>" once the server listens; --drop NAME closes the
connection halfway through sending the archive NAME.
"""

import argparse
import os
import shutil
import sqlite3
import sys
import tempfile
import zipfile

DEFAULT_MESSAGES = """[MSG]
Script update
New engine scripts are installed. Your scores, delays and incrementers were kept unless you chose to reset them.
"""


def table_file(folder, name):
    """The table's file in a folder, found without regard to case."""
    wanted = (name + ".dat").lower()
    for entry in os.listdir(folder):
        if entry.lower() == wanted:
            return os.path.join(folder, entry)
    return None


def build_archives(data_folder, se3_path, messages_path, out_folder):
    os.makedirs(out_folder, exist_ok=True)
    source = se3_path or (data_folder and table_file(data_folder, "SE3"))
    if not source or not os.path.isfile(source):
        sys.exit("update-server: no SE3 table found (give --data FOLDER or --se3 FILE)")
    with tempfile.TemporaryDirectory() as work:
        # A consistent copy of the table, also while a program writes to it.
        copy = os.path.join(work, "SE3.DAT")
        src = sqlite3.connect("file:%s?mode=ro" % source, uri=True)
        dst = sqlite3.connect(copy)
        src.backup(dst)
        dst.execute("PRAGMA journal_mode = DELETE")
        dst.close()
        src.close()
        if messages_path:
            shutil.copyfile(messages_path, os.path.join(work, "MSG.REF"))
        else:
            with open(os.path.join(work, "MSG.REF"), "w", encoding="utf-8") as f:
                f.write(DEFAULT_MESSAGES)
        for member in ("SE3.IDX", "SE3.BLB"):
            open(os.path.join(work, member), "wb").close()
        for archive, member in (("MSGREF.ZIP", "MSG.REF"), ("SE3DAT.ZIP", "SE3.DAT"),
                                ("SE3IDX.ZIP", "SE3.IDX"), ("SE3BLB.ZIP", "SE3.BLB")):
            target = os.path.join(out_folder, archive)
            with zipfile.ZipFile(target + ".part", "w", zipfile.ZIP_DEFLATED) as z:
                z.write(os.path.join(work, member), member)
            os.replace(target + ".part", target)


def serve(folder, port, user, password, drop):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, folder, perm="elr")

    class Handler(FTPHandler):
        def ftp_RETR(self, file):
            if drop and os.path.basename(file).lower() == drop.lower():
                with open(file, "rb") as f:
                    half = f.read()[: os.path.getsize(file) // 2]
                handler = self

                class HalfThenHangUp:
                    sent = False

                    def more(self):
                        if not self.sent:
                            self.sent = True
                            return half
                        handler.close()  # control and data connection go down
                        return b""

                self.push_dtp_data(HalfThenHangUp(), isproducer=True, cmd="RETR")
                return file
            return FTPHandler.ftp_RETR(self, file)

    Handler.authorizer = authorizer
    Handler.banner = "Corvane update server ready."
    Handler.passive_ports = None
    server = FTPServer(("127.0.0.1", port), Handler)
    actual = server.socket.getsockname()[1]
    print("Serving %s on ftp://127.0.0.1:%d/ (user %s, password %s)" % (folder, actual, user, password))
    print("READY %d" % actual, flush=True)
    try:
        server.serve_forever(handle_exit=True)
    finally:
        server.close_all()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--data", help="a profile's data folder (its SE3.dat is served)")
    parser.add_argument("--se3", help="an SE3 table file to serve instead")
    parser.add_argument("--messages", help="a MSG.REF file to serve (default: one 'Script update' message)")
    parser.add_argument("--out", help="folder for the archives (default: a temporary folder)")
    parser.add_argument("--serve", action="store_true", help="serve the archives over FTP")
    parser.add_argument("--serve-only", action="store_true", help="serve --out as it is, build nothing")
    parser.add_argument("--port", type=int, default=2121, help="FTP port; 0 takes a free one")
    parser.add_argument("--user", default="corvane")
    parser.add_argument("--password", default="update")
    parser.add_argument("--drop", help="hang up halfway through sending this archive")
    args = parser.parse_args()

    out = args.out or tempfile.mkdtemp(prefix="corvane-update-")
    if not args.serve_only:
        build_archives(args.data, args.se3, args.messages, out)
        print("Archives written to %s" % out, flush=True)
    if args.serve or args.serve_only:
        serve(out, args.port, args.user, args.password, args.drop)


if __name__ == "__main__":
    main()
