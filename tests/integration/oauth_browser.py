#!/usr/bin/env python3
"""The browser of the sign-in tests: opens the authorization address (trusting the test
authority), takes the consent page's redirect and follows it to the program's loopback listener,
as a real browser would. Usage: oauth_browser.py CA_FILE URL"""

import ssl
import sys
import urllib.error
import urllib.request


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


def main():
    ca, url = sys.argv[1], sys.argv[2]
    opener = urllib.request.build_opener(
        NoRedirect, urllib.request.HTTPSHandler(context=ssl.create_default_context(cafile=ca)))
    try:
        opener.open(url, timeout=10)
        return 1
    except urllib.error.HTTPError as e:
        if e.code != 302:
            return 1
        location = e.headers["Location"]
    with urllib.request.urlopen(location, timeout=10) as page:
        page.read()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except urllib.error.HTTPError:
        sys.exit(0)  # the listener's error page is the browser's to show
