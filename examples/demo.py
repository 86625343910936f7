"""A short tour of tarvik: a position from FEN, its pieces and moves, and a game
played to its end and taken back again."""

import tarvik

SQUARE_NAMES = [f"{file}{rank}" for rank in "12345678" for file in "abcdefgh"]

# A miniature that ends in mate: the last move is Qxf7#.
GAME = ["e2e4", "e7e5", "f1c4", "b8c6", "d1h5", "g8f6", "h5f7"]


def squares(bitboard):
    return " ".join(SQUARE_NAMES[s] for s in range(64) if bitboard >> s & 1)


def uci_list(moves):
    return " ".join(move.uci() for move in moves)


def show_position():
    fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    board = tarvik.Board(fen)
    print(f"Position from FEN: {fen}")
    print(board)
    print(f"White to move: {board.turn}")
    print(f"White pieces:  {squares(board.get_pieces('w'))}")
    print(f"Knights:       {squares(board.get_pieces('n'))}")
    print(f"Castling:      {uci_list(board._castling_moves())}")
    legal = board.legal_moves()
    print(f"{len(legal)} legal moves: {uci_list(legal)}")
    print()


def play_game():
    board = tarvik.Board()
    print("A game from the starting position:")
    for number, text in enumerate(GAME):
        move = next(m for m in board.legal_moves() if m.uci() == text)
        board.apply_move(move)
        side = "White" if number % 2 == 0 else "Black"
        print(f"  {side:5} plays {move}")
    print(board)
    legal = board.legal_moves()
    print(f"Check: {board.is_check()}, legal replies: {len(legal)}, checkmate: {board.is_checkmate()}, "
          f"stalemate: {board.is_stalemate()}, game over: {board.is_game_over()}")
    taken_back = [board.pop() for _ in GAME]
    print(f"Taken back: {uci_list(taken_back)}")
    print(f"Back at the start: {str(board) == str(tarvik.Board())}, {len(board.legal_moves())} legal moves")


if __name__ == "__main__":
    tarvik.hello_world()
    show_position()
    play_game()
