#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders many documents to HTML in one process with the Python readers Debian has, Markdown's and
# docutils' reStructuredText:
#   render.py BATCH READER...
# BATCH holds the documents, each as its length in bytes, a line end and its bytes; for each document and
# each READER in turn the HTML goes to standard output the same way, as soon as it is made. A reader that
# fails on a document gives "error: " and the reason instead.
import io
import re
import sys


# Each reader is imported only when asked for: a machine with docutils alone renders reStructuredText.
def python_markdown():
    # MkDocs' usual set: Python-Markdown's own extensions and pymdownx's tabs, details and fences.
    import markdown
    md = markdown.Markdown(extensions=[
        "admonition", "def_list", "attr_list", "footnotes", "tables", "md_in_html", "abbr", "toc",
        "pymdownx.tabbed", "pymdownx.details", "pymdownx.superfences", "pymdownx.arithmatex"])

    def render(text):
        md.reset()
        return md.convert(text)
    return render


def markdown_it():
    # VitePress' and Docusaurus' kind of reader: CommonMark with containers, definitions and math.
    from markdown_it import MarkdownIt
    from mdit_py_plugins.amsmath import amsmath_plugin
    from mdit_py_plugins.attrs import attrs_plugin
    from mdit_py_plugins.container import container_plugin
    from mdit_py_plugins.deflist import deflist_plugin
    from mdit_py_plugins.dollarmath import dollarmath_plugin
    from mdit_py_plugins.footnote import footnote_plugin
    from mdit_py_plugins.front_matter import front_matter_plugin
    md = (MarkdownIt("commonmark", {"html": True}).enable("table").enable("strikethrough")
          .use(front_matter_plugin).use(footnote_plugin).use(deflist_plugin).use(dollarmath_plugin)
          .use(amsmath_plugin).use(attrs_plugin))
    for name in ("tip", "note", "info", "warning", "danger", "caution", "details", "important"):
        md.use(container_plugin, name=name)
    return md.render


def myst():
    # Through docutils, as Sphinx reads MyST: directives get their own bodies read as Markdown.
    from docutils.core import publish_parts
    from myst_parser.docutils_ import Parser
    settings = {
        "myst_enable_extensions": ["amsmath", "colon_fence", "deflist", "dollarmath", "html_admonition",
                                   "html_image", "substitution", "tasklist", "fieldlist"],
        "report_level": 5, "halt_level": 5, "warning_stream": False, "embed_stylesheet": False}

    def render(text):
        return publish_parts(text, parser=Parser(), writer_name="html5", settings_overrides=settings)["body"]
    return render


def docutils():
    # reStructuredText as Sphinx reads it. Warnings and errors stay in the body, without their line numbers
    # (a new line before one moves it), every run of white space made one space.
    from docutils.core import publish_parts
    settings = {"halt_level": 5, "warning_stream": io.StringIO(), "file_insertion_enabled": False,
                "raw_enabled": False, "_disable_config": True, "input_encoding": "unicode"}

    def render(text):
        html = publish_parts(text, writer_name="html5", settings_overrides=dict(settings))["body"]
        return re.sub(r"line \d+\)", "line N)", " ".join(html.split()))
    return render


READERS = {"python-markdown": python_markdown, "markdown-it": markdown_it, "myst": myst, "docutils": docutils}


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
    renderers = [READERS[name]() for name in sys.argv[2:]]
    out = sys.stdout.buffer
    for text in documents(sys.argv[1]):
        for render in renderers:
            try:
                html = render(text)
            except MemoryError:
                raise  # past the test's limit: the text is skipped, not judged
            except Exception as error:  # a reader's fault is a result of its own, compared as any other
                html = "error: %s" % type(error).__name__
            data = html.encode("utf-8", "replace")
            out.write(b"%d\n" % len(data))
            out.write(data)
        out.flush()  # the test tells a reader that stalls by its output


if __name__ == "__main__":
    main()
