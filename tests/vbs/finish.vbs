' Closes every suite: the pass line the runner requires.
Finish
