#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders many reStructuredText documents to HTML in one process with docutils, the reader Sphinx uses:
#   render_rst.py BATCH
# BATCH holds the documents, each as its length in bytes, a line end and its bytes; each one's HTML body
# (warnings and errors docutils puts into it included, their line numbers left out), every run of white space made one space, goes to
# standard output the same way, as soon as it is made.
import io
import re
import sys

from docutils.core import publish_parts

SETTINGS = {"halt_level": 5, "warning_stream": io.StringIO(), "file_insertion_enabled": False,
            "raw_enabled": False, "_disable_config": True, "input_encoding": "unicode"}


def documents(path):
    with open(path, "rb") as batch:
        data = batch.read()
    at = 0
    while at < len(data):
        end = data.index(b"\n", at)
        size = int(data[at:end])
        yield data[end + 1:end + 1 + size].decode("utf-8", "replace")
        at = end + 1 + size


def main():
    out = sys.stdout.buffer
    for text in documents(sys.argv[1]):
        try:
            html = publish_parts(text, writer_name="html5", settings_overrides=dict(SETTINGS))["body"]
        except MemoryError:
            raise  # past the test's limit: the document is skipped, not judged
        except Exception as error:  # a reader's fault is a result of its own, compared as any other
            html = "error: %s" % type(error).__name__
        # A warning names the line it was found on, which a new line before it moves.
        html = re.sub(r"line \d+\)", "line N)", " ".join(html.split()))
        data = html.encode("utf-8", "replace")
        out.write(b"%d\n" % len(data))
        out.write(data)
        out.flush()  # the test tells a reader that stalls by its output


main()
