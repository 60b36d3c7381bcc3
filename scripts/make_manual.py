#!/usr/bin/python3
"""Makes the user manual PDF from its source: docs/manual/KVD_ViewHelp.md (Markdown, read by
python3-markdown) with manual.css and the pictures beside it, laid out by weasyprint.

usage: make_manual.py SOURCE_FOLDER OUTPUT_PDF

Run by the build with Debian's own python3, where scripts/setup installs both packages."""
import logging
import pathlib
import sys

try:
    import markdown
    from weasyprint import HTML
except ImportError as error:
    sys.exit(f"make_manual: the Python module {error.name} is missing; scripts/setup installs it "
             "(Debian packages python3-markdown and weasyprint)")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source = pathlib.Path(sys.argv[1]).resolve()
    output = pathlib.Path(sys.argv[2])
    text = (source / "KVD_ViewHelp.md").read_text(encoding="utf-8")
    style = (source / "manual.css").read_text(encoding="utf-8")
    body = markdown.markdown(text, extensions=["tables", "toc", "attr_list", "sane_lists"],
                             extension_configs={"toc": {"toc_depth": "2"}})
    page = ("<!DOCTYPE html><html lang='en'><head><meta charset='utf-8'>"
            "<title>KVD_Edit User Manual</title><style>" + style + "</style></head><body>" +
            body + "</body></html>")
    # Font fallbacks and similar notes of the layout engine are not the build's business.
    logging.getLogger("weasyprint").setLevel(logging.ERROR)
    logging.getLogger("fontTools").setLevel(logging.ERROR)
    output.parent.mkdir(parents=True, exist_ok=True)
    # Written beside, then renamed: a failed run never leaves half a manual.
    partial = output.with_name(output.name + ".part")
    HTML(string=page, base_url=str(source) + "/").write_pdf(str(partial))
    partial.replace(output)


if __name__ == "__main__":
    main()
